#include "app/ProgramIcon.h"

QIcon ProgramIcon()
{
    // The resources are compiled into the static window library, whose object file the linker
    // would leave out of the program and the tests without this reference to it.
    static const bool registered = [] {
        Q_INIT_RESOURCE(numora);
        return true;
    }();
    Q_UNUSED(registered);

    QIcon icon;
    for (const int side : {16, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/numora-%1.png").arg(side), QSize(side, side));
    return icon;
}
