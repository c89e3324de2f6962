#include "app/MainDialogLayout.h"

#include <QWidget>

#include "resources/DialogTemplates.h"
#include "widgets/DropDownBox.h"

namespace {
constexpr double kDrawnUnitX = 1.5;
constexpr double kDrawnUnitY = 1.625;
}  // namespace

MainDialogLayout::MainDialogLayout(const DialogUnits& units, const QHash<int, QWidget*>& controls)
    : m_units(units), m_controls(controls)
{
}

int MainDialogLayout::X(int drawnPixels) const { return m_units.X(drawnPixels / kDrawnUnitX); }

int MainDialogLayout::Y(int drawnPixels) const { return m_units.Y(drawnPixels / kDrawnUnitY); }

QSize MainDialogLayout::MinimumSize(int menuBarHeight) const
{
    // The limit was drawn as an outer window of 490 by 365 pixels whose frame took 5 pixels on
    // each side and whose caption and menu bar took 18 and 19: what must stay is a client area
    // of 480 by 318 drawn pixels, as wide as the template. That is converted with the window's
    // own units; the menu bar is added as tall as it really is, and the window manager adds its
    // frame outside the widget.
    return QSize(X(490 - 2 * 5), Y(365 - 2 * 5 - 18 - 19) + std::max(0, menuBarHeight));
}

void MainDialogLayout::Place(int cx, int cy) const
{
    auto place = [this](int id, int x, int y, int width, int height) {
        if (QWidget* control = m_controls.value(id))
            control->setGeometry(x, y, std::max(0, width), std::max(0, height));
    };
    auto resizeOnly = [this](int id, int width, int height) {
        if (QWidget* control = m_controls.value(id))
            control->resize(std::max(0, width), std::max(0, height));
    };
    // A single-line field stays one text line high plus a margin.
    auto lineHeight = [this](int id) { return m_controls.value(id)->fontMetrics().height() + Y(9); };
    auto dropDown = [this, cy](int id, int width) {
        auto* combo = qobject_cast<DropDownBox*>(m_controls.value(id));
        if (!combo)
            return;
        combo->resize(std::max(0, width), combo->height());
        // The open list reaches the bottom of the client area.
        combo->SetListBottom(std::max(0, cy));
    };

    place(IDC_STATUS, X(3), cy - Y(15), X(400), Y(15));
    // The description keeps its height; only its width follows the window.
    resizeOnly(IDC_DESCRIPTION, cx - X(173), m_controls.value(IDC_DESCRIPTION)->height());
    resizeOnly(IDC_IMAGE, cx - X(222), lineHeight(IDC_IMAGE));
    resizeOnly(IDC_YEAR, cx - X(358), lineHeight(IDC_YEAR));
    dropDown(IDC_COUNTRY, cx - X(358));
    dropDown(IDC_CONDITION, cx - X(358));
    dropDown(IDC_CATEGORY, cx - X(173));

    struct Row {
        int id, y, height;
    };
    constexpr Row kButtonColumn[] = {
        {IDC_QUIT, 11, 23},     {IDC_ADD, 39, 15},       {IDC_UPDATE, 54, 15},
        {IDC_DELETE, 69, 15},   {IDC_CLEAR, 84, 15},     {IDC_LISTPAGE, 106, 15},
        {IDC_CATALOG, 121, 15}, {IDC_VALUEWIZARD, 143, 15}, {IDC_PREFERENCES, 178, 15},
        {IDC_HELP, 193, 15},    {IDC_TOOLTIPS, 161, 15},
    };
    for (const Row& row : kButtonColumn)
        place(row.id, cx - X(85), Y(row.y), X(75), Y(row.height));
    place(IDC_BROWSE, cx - X(136), Y(152), X(48), Y(22));
    resizeOnly(IDC_LIST, cx - X(22), cy - Y(240));
}
