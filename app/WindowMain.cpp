// The entry points of the window's module (see WindowModule.h).

#include <QCoreApplication>
#include <QFileInfo>
#include <QMessageBox>

#include "app/CCollectionApp.h"
#include "app/StartupTrace.h"
#include "app/WindowModule.h"
#include "resources/FixedStrings.h"
#include "widgets/QtText.h"

extern "C" __attribute__((visibility("default"))) int NumoraWindowMain(int argc, char** argv,
                                                                       DataFilePreload::Reading* reading)
{
    StartupTrace::Mark("window's part loaded (the toolkit's libraries with it)");
    DataFilePreload::Adopt(reading);
    // The lock file records the program's name, which a later start compares with the process
    // that holds the lock; it is named here as the toolkit would name it once started.
    QCoreApplication::setApplicationName(
        QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget()).baseName());
    CCollectionApp::LockCollection();
    StartupTrace::Mark("collection locked");

    int code = 0;
    {
        CCollectionApp app(argc, argv);
        StartupTrace::Mark("toolkit started");
        code = app.InitInstance();
    }
    // A reading the window never took (the collection is open in another window) ends before
    // the process does.
    DataFilePreload::Drop();
    return code;
}

extern "C" __attribute__((visibility("default"))) void NumoraShowStartFailure(int argc, char** argv, const char* text)
{
    CCollectionApp app(argc, argv);
    QMessageBox box(QMessageBox::Critical, ToQString(strings::kWindowTitle), QString::fromUtf8(text),
                    QMessageBox::Ok);
    box.exec();
}
