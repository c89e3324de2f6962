#pragma once

#include <QComboBox>

// An editable drop-down box whose open list reaches down to a given line of its parent: the
// list opens below the box and ends at that line, or sooner when its entries end sooner. A box
// given no line opens its list as any combo box does.
class DropDownBox : public QComboBox {
    Q_OBJECT

public:
    explicit DropDownBox(QWidget* parent = nullptr);

    // The bottom of the open list, in the parent's coordinates (one past its last pixel row);
    // negative for none.
    void SetListBottom(int bottom);
    int ListBottom() const { return m_listBottom; }

    void showPopup() override;

private:
    int m_listBottom = -1;
};
