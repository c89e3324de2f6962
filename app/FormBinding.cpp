#include "app/FormBinding.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QSignalBlocker>

#include "resources/DialogTemplates.h"
#include "widgets/FormText.h"
#include "widgets/QtText.h"

FormBinding::FormBinding(const QHash<int, QWidget*>& controls)
{
    for (int i = 0; i < kCoinFieldCount; ++i)
        m_fields[i] = controls.value(kFieldControlIds[i]);
    m_itemCount = qobject_cast<QLineEdit*>(controls.value(IDC_ITEMCOUNT));
    m_tooltips = qobject_cast<QCheckBox*>(controls.value(IDC_TOOLTIPS));
}

void FormBinding::Read(FormValues& values) const
{
    for (CoinField field : kCoinFields)
        values.record.Set(field, ToUtf8(ControlText(FieldControl(field))));
    values.itemCount = m_itemCount->text().toInt();
    values.tooltipsSwitch = m_tooltips->isChecked() ? 1 : 0;
}

void FormBinding::Show(const FormValues& values) const
{
    for (CoinField field : kCoinFields)
        SetControlText(FieldControl(field), ToQString(values.record.Get(field)));
    m_itemCount->setText(QString::number(values.itemCount));
    const QSignalBlocker blocker(m_tooltips);
    m_tooltips->setChecked(values.tooltipsSwitch == 1);
}
