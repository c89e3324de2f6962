#pragma once

#include <string>
#include <vector>

// The folders the program's modules (the window's and the summary's) are looked for in, first
// to last: the plug-in folder of an installed tree, relative to the program's folder, then the
// program's folder itself, where the build puts them.
std::vector<std::string> ModuleFolders(const std::string& programFolder);
