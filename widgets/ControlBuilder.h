#pragma once

#include <QHash>
#include <QString>

#include <span>

#include "resources/DialogTemplates.h"
#include "widgets/DialogUnits.h"

class QWidget;

// Makes the controls of a dialog template on a parent widget, in the table's order, which is
// the tab order. Every control with an ID carries it as its object name ("1005"). Edit fields
// take text of any length; drop-down boxes are editable, never complete or insert what is
// typed, and are as tall as an edit field when closed; labels are never narrower than their
// text and lie behind the fields; group boxes lie behind everything.
class ControlBuilder {
public:
    ControlBuilder(const DialogUnits& units, QWidget* parent);

    // Builds the controls; `texts` replaces the template's text of the controls it names.
    QHash<int, QWidget*> Build(std::span<const TemplateControl> entries, const QHash<int, QString>& texts = {});

private:
    QWidget* Make(const TemplateControl& entry, const QString& text);

    const DialogUnits& m_units;
    QWidget* m_parent;
};
