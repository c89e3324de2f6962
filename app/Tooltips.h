#pragma once

#include <QString>

// The tip of a main-window control, by control ID; empty for controls that have none.
QString TooltipText(int controlId);
