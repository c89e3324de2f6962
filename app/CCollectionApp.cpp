#include "app/CCollectionApp.h"

#include <QIcon>
#include <QLockFile>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <new>

#include "app/CCollectionDlg.h"
#include "widgets/Platform.h"
#include "app/ProgramIcon.h"
#include "app/StartupTrace.h"
#include "widgets/QtText.h"
#include "app/SessionEndWatcher.h"
#include "resources/FixedStrings.h"

namespace {

// Held while a window works on the collection of the current folder, so that two windows never
// overwrite each other's coins. A lock left by a process that died is taken over.
constexpr char kLockFileName[] = "nmr.lock";

std::optional<bool>& LockTaken()
{
    static std::optional<bool> taken;
    return taken;
}

std::unique_ptr<QLockFile>& TheLock()
{
    static std::unique_ptr<QLockFile> lock;
    return lock;
}

}  // namespace

bool CCollectionApp::LockCollection()
{
    if (!LockTaken()) {
        auto lock = std::make_unique<QLockFile>(QString::fromLatin1(kLockFileName));
        lock->setStaleLockTime(0);  // only a dead holder makes a lock stale, never its age
        LockTaken() = lock->tryLock(0) || lock->error() != QLockFile::LockFailedError;
        // Where no lock can be made (a folder the user may not write), nothing can be saved
        // either, so the window opens all the same.
        TheLock() = std::move(lock);
    }
    return *LockTaken();
}

CCollectionApp::CCollectionApp(int& argc, char** argv) : QApplication(argc, argv)
{
    setWindowIcon(ProgramIcon());
    // Wayland compositors match the window to the installed numora.desktop by this name.
    setDesktopFileName(QStringLiteral("numora"));
}

int CCollectionApp::InitInstance()
{
    DesktopPlatform platform;
    m_platform = &platform;

    if (!LockCollection()) {
        platform.ShowError(nullptr, ToQString(strings::kAlreadyOpen), ToQString(strings::kWindowTitle));
        m_platform = nullptr;
        return 1;
    }

    int code = 0;
    {
        std::unique_ptr<CCollectionDlg> dialog;
        try {
            dialog = std::make_unique<CCollectionDlg>(platform);
        } catch (const std::bad_alloc&) {
            platform.ShowError(nullptr,
                               ToQString(std::string(strings::kCommandFailedBefore) +
                                         std::string(strings::kOutOfMemory) + "."),
                               ToQString(strings::kErrorCaption));
            code = 1;
        }
        if (dialog) {
            StartupTrace::Mark("window made, collection loaded");
            StartupTrace::WatchFirstPaint(dialog.get());
            SessionEndWatcher watcher;
            CCollectionDlg* window = dialog.get();
            connect(&watcher, &SessionEndWatcher::endRequested, window, [window] {
                const int exitCode = window->OnEndSession();
                // The process ends here, inside whatever box or dialog is open. Letting their
                // event loops unwind would run the code after each of them, which may ask,
                // show or save again; everything worth keeping is written by now.
                TheLock().reset();
                std::fflush(nullptr);
                std::_Exit(exitCode);
            });
            dialog->exec();
        }
    }
    m_platform = nullptr;
    TheLock().reset();  // the lock file goes with the window
    return code;
}

bool CCollectionApp::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        if (auto* dialog = qobject_cast<CCollectionDlg*>(activeWindow()))
            dialog->ReportFailure(&e);
        else if (m_platform)
            m_platform->ShowError(activeWindow(), QString::fromUtf8(e.what()), ToQString(strings::kErrorCaption));
    } catch (...) {
        if (auto* dialog = qobject_cast<CCollectionDlg*>(activeWindow()))
            dialog->ReportFailure(nullptr);
    }
    return false;
}
