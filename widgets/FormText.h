#pragma once

#include <QString>

class QWidget;

// The text of a form control (a one-line edit field, a drop-down box or a text of several
// lines), as the program holds it: line breaks as line feeds, whichever way they were typed.
QString ControlText(QWidget* control);

// Puts a text into a form control, leaving the control alone when it holds that text already.
// A one-line field shows the start of a text longer than itself.
void SetControlText(QWidget* control, const QString& text);
