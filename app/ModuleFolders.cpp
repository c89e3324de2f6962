#include "app/ModuleFolders.h"

#include <filesystem>

std::vector<std::string> ModuleFolders(const std::string& programFolder)
{
    return {(std::filesystem::path(programFolder) / NUMORA_INSTALLED_PLUGINS).lexically_normal().string(),
            programFolder};
}
