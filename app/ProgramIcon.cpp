#include "app/ProgramIcon.h"

#include <QGuiApplication>

QIcon ProgramIcon()
{
    // The resources are compiled into the static window library, whose object file the linker
    // would leave out of the program and the tests without this reference to it.
    static const bool registered = [] {
        Q_INIT_RESOURCE(numora);
        return true;
    }();
    Q_UNUSED(registered);

    // Adding a file decodes the image, so the icon is made once: once the application has it
    // as its window icon, the windows share that one.
    static qint64 made = 0;
    if (made != 0 && QGuiApplication::windowIcon().cacheKey() == made)
        return QGuiApplication::windowIcon();
    QIcon icon;
    for (const int side : {16, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/numora-%1.png").arg(side), QSize(side, side));
    made = icon.cacheKey();
    return icon;
}
