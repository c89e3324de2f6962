#include "widgets/ControlBuilder.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>

#include <climits>

#include "widgets/QtText.h"
#include "widgets/DropDownBox.h"

ControlBuilder::ControlBuilder(const DialogUnits& units, QWidget* parent) : m_units(units), m_parent(parent) {}

QHash<int, QWidget*> ControlBuilder::Build(std::span<const TemplateControl> entries, const QHash<int, QString>& texts)
{
    QHash<int, QWidget*> controls;
    for (const TemplateControl& entry : entries) {
        const QString text = entry.id >= 0 && texts.contains(entry.id) ? texts.value(entry.id) : ToQString(entry.text);
        QWidget* control = Make(entry, text);
        if (entry.id >= 0) {
            control->setObjectName(QString::number(entry.id));
            controls.insert(entry.id, control);
        }
    }
    return controls;
}

QWidget* ControlBuilder::Make(const TemplateControl& entry, const QString& text)
{
    QRect rect = m_units.Rect(entry.x, entry.y, entry.width, entry.height);
    QWidget* control = nullptr;
    switch (entry.kind) {
    case ControlKind::Edit:
    case ControlKind::ReadOnlyEdit: {
        auto* edit = new QLineEdit(m_parent);
        edit->setMaxLength(INT_MAX);
        edit->setReadOnly(entry.kind == ControlKind::ReadOnlyEdit);
        control = edit;
        break;
    }
    case ControlKind::Combo: {
        auto* combo = new DropDownBox(m_parent);
        combo->setEditable(true);
        combo->setInsertPolicy(QComboBox::NoInsert);
        // No completion: a value shown reads back exactly as it is, "United" never becomes
        // "United States".
        combo->setCompleter(nullptr);
        combo->setDuplicatesEnabled(false);
        combo->lineEdit()->setMaxLength(INT_MAX);
        rect.setHeight(m_units.Y(entry.y + kComboClosedHeight) - m_units.Y(entry.y));
        combo->setMaxVisibleItems(std::max(1, (entry.height - kComboClosedHeight) / 8));
        control = combo;
        break;
    }
    case ControlKind::MultiEdit: {
        auto* edit = new QPlainTextEdit(m_parent);
        edit->setLineWrapMode(QPlainTextEdit::NoWrap);
        edit->setTabChangesFocus(true);
        control = edit;
        break;
    }
    case ControlKind::Button:
    case ControlKind::DefaultButton: {
        auto* button = new QPushButton(text, m_parent);
        button->setAutoDefault(true);
        button->setDefault(entry.kind == ControlKind::DefaultButton);
        control = button;
        break;
    }
    case ControlKind::List:
        control = new QTableView(m_parent);
        break;
    case ControlKind::Label: {
        auto* label = new QLabel(text, m_parent);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        // A label is never cut short: where the font is wider than the template's, it reaches
        // under the field beside it.
        rect.setWidth(std::max(rect.width(), label->sizeHint().width()));
        rect.setHeight(std::max(rect.height(), entry.height == 0 ? label->sizeHint().height() : 0));
        label->lower();
        control = label;
        break;
    }
    case ControlKind::Check:
        control = new QCheckBox(text, m_parent);
        break;
    case ControlKind::GroupBox:
        control = new QGroupBox(text, m_parent);
        control->lower();
        break;
    case ControlKind::Calendar:
        control = new QCalendarWidget(m_parent);
        break;
    }
    control->setGeometry(rect);
    return control;
}
