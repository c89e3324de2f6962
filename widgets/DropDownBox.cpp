#include "widgets/DropDownBox.h"

#include <QAbstractItemView>

#include <algorithm>

DropDownBox::DropDownBox(QWidget* parent) : QComboBox(parent) {}

void DropDownBox::SetListBottom(int bottom) { m_listBottom = bottom; }

void DropDownBox::showPopup()
{
    QAbstractItemView* list = view();
    const int available = m_listBottom - (y() + height());
    const int rowHeight = count() > 0 ? list->sizeHintForRow(0) : 0;
    if (m_listBottom < 0 || available <= 0 || rowHeight <= 0 || !parentWidget()) {
        QComboBox::showPopup();
        return;
    }
    // One row more than fits, so that a long list is cut at the line rather than short of it.
    setMaxVisibleItems(std::max(1, available / rowHeight + 1));
    QComboBox::showPopup();

    QWidget* popup = list->window();
    QRect shown = popup->geometry();
    const int bottom = parentWidget()->mapToGlobal(QPoint(0, m_listBottom)).y();
    // Only a list that opened downward is cut; one the screen made open upward stays as it is.
    if (shown.top() >= mapToGlobal(QPoint(0, 0)).y() && shown.bottom() + 1 > bottom) {
        shown.setBottom(bottom - 1);
        popup->setGeometry(shown);
    }
}
