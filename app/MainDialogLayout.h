#pragma once

#include <QHash>
#include <QSize>

#include "widgets/DialogUnits.h"

class QWidget;

// Where the main window's controls go when the window changes size: the list, the wide fields
// and the status line follow the edges, the column of buttons the right edge. The layout was
// drawn for dialog units of 1.5 by 1.625 pixels; its lengths are given in those pixels and
// converted with the window's own units, so the window lays out alike with any font and on any
// screen.
class MainDialogLayout {
public:
    MainDialogLayout(const DialogUnits& units, const QHash<int, QWidget*>& controls);

    // Places the controls for a client area of cx by cy pixels.
    void Place(int cx, int cy) const;

    // The smallest window, without the window manager's frame, over a menu bar of that height.
    QSize MinimumSize(int menuBarHeight) const;

private:
    int X(int drawnPixels) const;
    int Y(int drawnPixels) const;

    const DialogUnits& m_units;
    const QHash<int, QWidget*>& m_controls;
};
