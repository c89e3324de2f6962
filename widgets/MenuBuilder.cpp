#include "widgets/MenuBuilder.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "widgets/QtText.h"

QHash<MenuCommand, QAction*> BuildMenus(QMenuBar* bar, std::span<const MenuEntry> items)
{
    QHash<MenuCommand, QAction*> actions;
    QMenu* menu = nullptr;
    std::string_view title;
    for (const MenuEntry& item : items) {
        if (!menu || item.menu != title) {
            title = item.menu;
            menu = bar->addMenu(ToQString(title));
            menu->setObjectName(QStringLiteral("menu") + ToQString(title).remove(QLatin1Char('&')));
        }
        if (item.text.empty()) {
            menu->addSeparator();
            continue;
        }
        QAction* action = menu->addAction(ToQString(item.text));
        action->setObjectName(QString::number(static_cast<int>(item.command)));
        actions.insert(item.command, action);
    }
    return actions;
}
