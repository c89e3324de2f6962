#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include <QCoreApplication>
#include <QFileInfo>
#include <QMessageBox>

#include "app/CCollectionApp.h"
#include "app/DataFilePreload.h"
#include "app/StartupTrace.h"
#include "resources/FixedStrings.h"
#include "storage/CollectionFolder.h"
#include "widgets/QtText.h"

namespace {

// Decides the collection folder from the command line and makes it the current folder before
// the toolkit starts: --help needs no display, and every file the program reads or writes
// lies in that folder. Returns the exit code when the program ends here.
std::optional<int> EnterCollection(int argc, char** argv)
{
    std::error_code ec;
    const std::string executable = std::filesystem::read_symlink("/proc/self/exe", ec).string();
    const StartContext context{
        CurrentUserFolders(),
        FindTemplatesFolder(executable, NUMORA_INSTALLED_TEMPLATES, NUMORA_SOURCE_TEMPLATES),
        NUMORA_VERSION};
    const StartOutcome start =
        EnterCollectionFolder(std::vector<std::string>(argv + 1, argv + argc), context);
    std::cout << start.output << std::flush;
    std::cerr << start.message;
    if (start.run)
        return std::nullopt;
    // Started from the menu, nobody reads the terminal: the failure is shown in a box too.
    if (!start.windowText.empty() && (std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY"))) {
        CCollectionApp app(argc, argv);
        QMessageBox box(QMessageBox::Critical, ToQString(strings::kWindowTitle),
                        QString::fromStdString(start.windowText), QMessageBox::Ok);
        box.exec();
    }
    return start.exitCode;
}

}  // namespace

int main(int argc, char** argv)
{
    StartupTrace::Mark("main entered (the libraries loaded)");
    if (const std::optional<int> exitCode = EnterCollection(argc, argv))
        return *exitCode;

    // The lock file records the program's name, which a later start compares with the process
    // that holds the lock; it is named here as the toolkit would name it once started.
    QCoreApplication::setApplicationName(
        QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget()).baseName());
    // The collection is read while the toolkit starts, once no other window can be writing it.
    if (CCollectionApp::LockCollection())
        DataFilePreload::Start(kDataFileName);
    StartupTrace::Mark("collection locked, its reading started");

    CCollectionApp app(argc, argv);
    StartupTrace::Mark("toolkit started");
    return app.InitInstance();
}
