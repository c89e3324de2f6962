#include "output/qt/CDateSelectDlg.h"

#include <QCalendarWidget>
#include <QKeyEvent>
#include <QPushButton>
#include <QTableView>

#include "resources/DialogTemplates.h"
#include "widgets/QtText.h"
#include "widgets/ControlBuilder.h"

CDateSelectDlg::CDateSelectDlg(const DialogUnits& units, QDate initial, QWidget* parent)
    : QDialog(parent), m_date(initial)
{
    setWindowTitle(ToQString(strings::kDateSelectTitle));
    setFixedSize(units.X(kDateSelectWidth), units.Y(kDateSelectHeight));

    const QHash<int, QWidget*> controls = ControlBuilder(units, this).Build(kDateSelectTemplate);
    m_calendar = qobject_cast<QCalendarWidget*>(controls.value(IDC_DATE_CALENDAR));
    m_return = qobject_cast<QPushButton*>(controls.value(IDOK));
    // Four-digit years only, so that every date text sorts in the order of the days.
    m_calendar->setDateRange(QDate(1000, 1, 1), QDate(9999, 12, 31));
    m_calendar->setSelectionMode(QCalendarWidget::SingleSelection);
    m_calendar->setSelectedDate(initial);
    // A calendar needs more room than the template gives it in most fonts.
    const QSize needed = m_calendar->sizeHint();
    if (m_calendar->width() < needed.width() || m_calendar->height() < needed.height()) {
        m_calendar->resize(std::max(m_calendar->width(), needed.width()),
                           std::max(m_calendar->height(), needed.height()));
    }

    const TemplateControl& ret = kDateSelectTemplate[1];
    const QRect r = units.Rect(ret.x, ret.y, ret.width, ret.height);
    m_return->setGeometry(m_calendar->geometry().right() + units.X(1), r.y(), r.width(), r.height());
    connect(m_return, &QPushButton::clicked, this, &QDialog::accept);

    // The grid of days has the focus when the dialog opens and would keep Enter to itself;
    // Enter there presses the default button, as everywhere else in the dialog.
    m_days = m_calendar->findChild<QTableView*>();
    if (m_days)
        m_days->installEventFilter(this);

    setFixedSize(std::max(width(), m_return->geometry().right() + units.X(7)),
                 std::max(height(), m_calendar->geometry().bottom() + units.Y(9)));
}

bool CDateSelectDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_days && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            m_return->click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CDateSelectDlg::done(int result)
{
    m_date = m_calendar->selectedDate();
    QDialog::done(result);
}
