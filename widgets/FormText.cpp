#include "widgets/FormText.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextDocument>

QString ControlText(QWidget* control)
{
    if (auto* edit = qobject_cast<QLineEdit*>(control))
        return edit->text();
    if (auto* combo = qobject_cast<QComboBox*>(control))
        return combo->currentText();
    if (auto* text = qobject_cast<QPlainTextEdit*>(control)) {
        // The raw text keeps non-breaking spaces, which the plain-text form would turn into
        // ordinary ones. Paragraphs (Enter) and line separators (Shift+Enter) are both line
        // breaks to the user, and both become line feeds.
        QString raw = text->document()->toRawText();
        raw.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
        raw.replace(QChar::LineSeparator, QLatin1Char('\n'));
        return raw;
    }
    return {};
}

void SetControlText(QWidget* control, const QString& text)
{
    if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        if (edit->text() != text) {
            edit->setText(text);
            edit->setCursorPosition(0);
        }
    } else if (auto* combo = qobject_cast<QComboBox*>(control)) {
        if (combo->currentText() != text) {
            combo->setEditText(text);
            combo->lineEdit()->setCursorPosition(0);
        }
    } else if (auto* lines = qobject_cast<QPlainTextEdit*>(control)) {
        if (ControlText(lines) != text)
            lines->setPlainText(text);
    }
}
