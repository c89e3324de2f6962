// The program's launcher: it decides the collection folder, starts reading the collection, and
// loads the window's module (see WindowModule.h), whose loading brings the toolkit's libraries
// in while the collection is read on the second core.

#include <dlfcn.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "app/DataFilePreload.h"
#include "app/ModuleFolders.h"
#include "app/StartupTrace.h"
#include "app/WindowModule.h"
#include "resources/FixedStrings.h"
#include "storage/CollectionFolder.h"

namespace {

// The window's module, from the first of the module folders that has it; null, with the
// reason in `problem`, when none has one or the one found does not load.
void* LoadWindowModule(const std::filesystem::path& executable, std::string& problem)
{
    const std::vector<std::string> folders = ModuleFolders(executable.parent_path().string());
    std::error_code ec;
    for (const std::string& folder : folders) {
        const std::filesystem::path candidate = std::filesystem::path(folder) / kWindowModuleFile;
        if (!std::filesystem::exists(candidate, ec))
            continue;
        // Bound as each function is first called, as the program's own libraries are.
        if (void* module = ::dlopen(candidate.c_str(), RTLD_LAZY | RTLD_LOCAL))
            return module;
        const char* reason = ::dlerror();
        problem = reason ? reason : candidate.string();
        return nullptr;
    }
    problem = std::string(kWindowModuleFile) + std::string(strings::kWindowModuleNotFound);
    for (std::size_t i = 0; i < folders.size(); ++i)
        problem += (i == 0 ? "" : ", ") + folders[i];
    return nullptr;
}

void* EntryOf(void* module, const char* name, std::string& problem)
{
    void* entry = ::dlsym(module, name);
    if (!entry) {
        const char* reason = ::dlerror();
        problem = reason ? reason : name;
    }
    return entry;
}

}  // namespace

int main(int argc, char** argv)
{
    StartupTrace::Mark("main entered (the libraries loaded)");
    std::error_code ec;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", ec);

    // The collection folder is decided from the command line and made the current folder
    // before anything else: --help needs no display, and every file the program reads or
    // writes lies in that folder.
    const StartContext context{
        CurrentUserFolders(),
        FindTemplatesFolder(executable.string(), NUMORA_INSTALLED_TEMPLATES, NUMORA_SOURCE_TEMPLATES),
        NUMORA_VERSION};
    const StartOutcome start = EnterCollectionFolder(std::vector<std::string>(argv + 1, argv + argc), context);
    std::cout << start.output << std::flush;
    std::cerr << start.message;

    std::string problem;
    if (!start.run) {
        // Started from the menu, nobody reads the terminal: the failure is shown in a box too.
        if (!start.windowText.empty() && (std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY"))) {
            void* module = LoadWindowModule(executable, problem);
            if (void* entry = module ? EntryOf(module, kStartFailureEntry, problem) : nullptr)
                reinterpret_cast<StartFailureEntry>(entry)(argc, argv, start.windowText.c_str());
        }
        return start.exitCode;
    }

    // The collection is read while the toolkit is loaded and started.
    DataFilePreload::Start(kDataFileName);
    StartupTrace::Mark("collection's reading started");
    void* module = LoadWindowModule(executable, problem);
    void* entry = module ? EntryOf(module, kWindowMainEntry, problem) : nullptr;
    if (!entry) {
        std::cerr << strings::kWindowModuleFailed << problem << '\n';
        DataFilePreload::Drop();
        return EXIT_FAILURE;
    }
    return reinterpret_cast<WindowMainEntry>(entry)(argc, argv, DataFilePreload::Release());
}
