#pragma once

#include <QHash>

#include <span>

#include "resources/DialogTemplates.h"

class QAction;
class QMenuBar;

// Fills a menu bar from a menu table: a new title starts a new menu (object name "menu" and the
// title without "&", as "menuFile"), an item with an empty text is a separator, and every other
// item's action carries its command number as object name. Returns the actions by command.
QHash<MenuCommand, QAction*> BuildMenus(QMenuBar* bar, std::span<const MenuEntry> items);
