#include "records/qt/CoinSearchField.h"

#include <QAction>
#include <QKeyEvent>
#include <QLabel>

#include "resources/FixedStrings.h"
#include "widgets/QtText.h"

namespace {

// Room between the result and the field's right edge, and between the typed text and the
// result, in pixels.
constexpr int kResultPadding = 4;

}  // namespace

CoinSearchField::CoinSearchField(QWidget* parent)
    : QLineEdit(parent),
      m_result(new QLabel(this)),
      m_findNext(new QAction(this)),
      m_findPrevious(new QAction(this)),
      m_focus(new QAction(this))
{
    setObjectName("findField");
    setPlaceholderText(ToQString(strings::kFindPlaceholder));
    setToolTip(ToQString(strings::kFindTip));
    setClearButtonEnabled(false);
    // Reached by Ctrl+F or a click, never by Tab, so the form's Tab cycle stays its own.
    setFocusPolicy(Qt::ClickFocus);

    m_result->setObjectName("findResult");
    m_result->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_result->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_result->setForegroundRole(QPalette::PlaceholderText);
    m_result->hide();

    // Window-wide keys: they reach the field from wherever the focus is in its window.
    m_findNext->setShortcut(QKeySequence(Qt::Key_F3));
    m_findPrevious->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3));
    m_focus->setShortcut(QKeySequence::Find);
    for (QAction* action : {m_findNext, m_findPrevious, m_focus}) {
        action->setShortcutContext(Qt::WindowShortcut);
        addAction(action);
    }
    connect(m_findNext, &QAction::triggered, this, &CoinSearchField::findNextRequested);
    connect(m_findPrevious, &QAction::triggered, this, &CoinSearchField::findPreviousRequested);
    connect(m_focus, &QAction::triggered, this, [this] {
        setFocus(Qt::ShortcutFocusReason);
        selectAll();
    });
    connect(this, &QLineEdit::textChanged, this, &CoinSearchField::OnTextChanged);
}

void CoinSearchField::OnTextChanged(const QString& text)
{
    m_search = CoinSearch(ToUtf8(text));
    // A new search has not been looked for yet: nothing to show until the owner does.
    m_result->clear();
    m_result->hide();
    PlaceResultLabel();
    emit searchChanged();
}

void CoinSearchField::ShowResult(const FindResult& result)
{
    const QString text = ToQString(MatchText(m_search, result));
    m_result->setText(text);
    m_result->setVisible(!text.isEmpty());
    PlaceResultLabel();
}

QString CoinSearchField::ResultText() const
{
    return m_result->text();
}

void CoinSearchField::PlaceResultLabel()
{
    const QString text = m_result->text();
    const int width = text.isEmpty() ? 0 : m_result->fontMetrics().horizontalAdvance(text);
    setTextMargins(0, 0, width > 0 ? width + 2 * kResultPadding : 0, 0);
    m_result->setGeometry(this->width() - width - 2 * kResultPadding, 0, width + kResultPadding,
                          height());
}

QSize CoinSearchField::sizeHint() const
{
    // Room for a name typed and for "123 of 4567" beside it.
    QSize size = QLineEdit::sizeHint();
    size.setWidth(fontMetrics().horizontalAdvance(QLatin1Char('x')) * 28);
    return size;
}

bool CoinSearchField::event(QEvent* event)
{
    // Enter and Escape are the field's own even where the window has a shortcut on them.
    if (event->type() == QEvent::ShortcutOverride) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) {
            event->accept();
            return true;
        }
    }
    return QLineEdit::event(event);
}

void CoinSearchField::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // Taken here, so that the dialog never sees it and its default button is not pressed.
        if (event->modifiers() & Qt::ShiftModifier)
            emit findPreviousRequested();
        else
            emit findNextRequested();
        event->accept();
        return;
    case Qt::Key_Escape:
        emit leaveRequested();
        event->accept();
        return;
    default:
        QLineEdit::keyPressEvent(event);
    }
}

bool CoinSearchField::focusNextPrevChild(bool)
{
    emit leaveRequested();
    return true;
}

void CoinSearchField::resizeEvent(QResizeEvent* event)
{
    QLineEdit::resizeEvent(event);
    PlaceResultLabel();
}

void CoinSearchField::changeEvent(QEvent* event)
{
    QLineEdit::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        PlaceResultLabel();
}
