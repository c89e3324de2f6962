#include "app/CCollectionApp.h"

#include "app/CCollectionDlg.h"
#include "app/Platform.h"
#include "app/ProgramIcon.h"

CCollectionApp::CCollectionApp(int& argc, char** argv) : QApplication(argc, argv)
{
    setWindowIcon(ProgramIcon());
    // Wayland compositors match the window to the installed numora.desktop by this name.
    setDesktopFileName(QStringLiteral("numora"));
}

int CCollectionApp::InitInstance()
{
    DesktopPlatform platform;
    CCollectionDlg dialog(platform);
    dialog.exec();
    return 0;
}
