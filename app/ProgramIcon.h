#pragma once

#include <QIcon>

// The program's coin icon for windows and the About box, from the PNG sizes in the resources:
// PNG needs no image plugin, so the icon shows wherever Qt runs.
QIcon ProgramIcon();
