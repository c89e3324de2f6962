#pragma once

#include "app/DataFilePreload.h"

// The program is a small launcher and its window's part, a module it loads. The launcher links
// nothing of the toolkit, so that it starts at once and begins reading the collection while
// the toolkit's libraries are loaded with the module; the module holds everything else. The
// two are built together, so the types may cross between them.

// The module's file, looked for in the installed plug-ins' folder beside the program's, then
// in the program's own folder (a build tree).
inline constexpr char kWindowModuleFile[] = "numora-window.so";

// Runs the window on the collection of the current folder, taking over `reading` (null for
// none); the process's exit code.
using WindowMainEntry = int (*)(int argc, char** argv, DataFilePreload::Reading* reading);
inline constexpr char kWindowMainEntry[] = "NumoraWindowMain";

// Shows `text` in a message box, for a start that fails before any window: started from the
// menu, nobody reads the terminal.
using StartFailureEntry = void (*)(int argc, char** argv, const char* text);
inline constexpr char kStartFailureEntry[] = "NumoraShowStartFailure";
