#include "output/qt/CValueWizardDlg.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <climits>

#include "app/DialogUnits.h"
#include "app/QtText.h"

CValueWizardDlg::CValueWizardDlg(const DialogUnits& units, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(tr("Value Wizard"));
    setFixedSize(units.X(186), units.Y(73));

    auto edit = [&](int id, bool readOnly, int x, int y, int w, int h) {
        auto* e = new QLineEdit(this);
        e->setObjectName(QString::number(id));
        e->setReadOnly(readOnly);
        e->setMaxLength(INT_MAX);
        e->setGeometry(units.Rect(x, y, w, h));
        return e;
    };
    auto button = [&](const QString& text, int id, int x, int y, int w, int h) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QString::number(id));
        b->setGeometry(units.Rect(x, y, w, h));
        b->setAutoDefault(true);
        return b;
    };
    auto label = [&](const char* text, int x, int y, int w, int h) {
        (new QLabel(QString::fromLatin1(text), this))->setGeometry(units.Rect(x, y, w, h));
    };

    // In template order, which is the tab order.
    m_value = edit(1011, false, 50, 34, 38, 14);
    m_back = button(tr("<< Back"), 1030, 7, 52, 42, 14);
    m_next = button(tr("Next >>"), 1031, 49, 52, 42, 14);
    QPushButton* ok = button(tr("OK"), 1, 137, 52, 42, 14);
    ok->setDefault(true);
    m_name = edit(1005, true, 41, 4, 47, 14);
    label("Name:", 7, 7, 22, 8);
    label("Year:", 93, 7, 18, 8);
    label("Face Value:", 7, 22, 39, 8);
    label("Country:", 93, 22, 27, 8);
    m_date = edit(1012, true, 125, 34, 54, 14);
    label("Value:", 7, 37, 21, 8);
    label("Date:", 93, 37, 18, 8);
    m_faceValue = edit(1007, true, 50, 19, 38, 14);
    m_year = edit(1006, true, 125, 4, 54, 14);
    m_country = edit(1016, true, 125, 19, 54, 14);

    connect(m_back, &QPushButton::clicked, this, &CValueWizardDlg::OnBack);
    connect(m_next, &QPushButton::clicked, this, &CValueWizardDlg::OnNext);
    connect(ok, &QPushButton::clicked, this, &CValueWizardDlg::accept);
}

void CValueWizardDlg::SetShowing(const WizardShowing& showing)
{
    m_showing = showing;
    m_closedBy = WizardClose::Cancel;
    m_name->setText(ToQString(showing.name));
    m_year->setText(ToQString(showing.year));
    m_faceValue->setText(ToQString(showing.faceValue));
    m_country->setText(ToQString(showing.country));
    m_value->setText(ToQString(showing.value));
    m_date->setText(ToQString(showing.date));
    m_next->setEnabled(showing.index != showing.last);
    m_back->setEnabled(showing.index != 0);
}

void CValueWizardDlg::TakeValues()
{
    m_showing.value = ToUtf8(m_value->text());
    m_showing.date = ToUtf8(m_date->text());
}

void CValueWizardDlg::accept()
{
    TakeValues();
    m_closedBy = WizardClose::Ok;
    QDialog::accept();
}

void CValueWizardDlg::reject()
{
    // Escape and the close box: what was typed in this showing is dropped.
    m_closedBy = WizardClose::Cancel;
    QDialog::reject();
}

void CValueWizardDlg::OnNext()
{
    TakeValues();
    ++m_showing.index;
    m_closedBy = WizardClose::Next;
    done(QDialog::Rejected);
}

void CValueWizardDlg::OnBack()
{
    TakeValues();
    --m_showing.index;
    m_closedBy = WizardClose::Back;
    done(QDialog::Rejected);
}

void CValueWizardDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    m_value->setFocus();
    m_value->selectAll();
    // The field finishes the new item's text change only once events run again, which drops
    // the selection on every showing after the first; select the value after that, so that
    // what the user types replaces it.
    QMetaObject::invokeMethod(m_value, &QLineEdit::selectAll, Qt::QueuedConnection);
}
