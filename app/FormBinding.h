#pragma once

#include <QHash>

#include <array>

#include "records/CoinRecord.h"

class QCheckBox;
class QLineEdit;
class QWidget;

// The main window's form values and the controls they are bound to: the thirteen fields of a
// coin, the item count and the tooltips switch.
struct FormValues {
    CoinRecord record;
    int itemCount = 0;
    int tooltipsSwitch = 0;  // 1 when the box is checked
};

// Moves the form values between the controls and the program: Read takes what the controls
// show, Show puts the values into them.
class FormBinding {
public:
    explicit FormBinding(const QHash<int, QWidget*>& controls);

    void Read(FormValues& values) const;
    void Show(const FormValues& values) const;

    QWidget* FieldControl(CoinField field) const { return m_fields[FieldIndex(field)]; }
    QCheckBox* TooltipsCheck() const { return m_tooltips; }

private:
    std::array<QWidget*, kCoinFieldCount> m_fields{};
    QLineEdit* m_itemCount = nullptr;
    QCheckBox* m_tooltips = nullptr;
};
