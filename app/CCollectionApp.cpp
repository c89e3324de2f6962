#include "app/CCollectionApp.h"

#include <QIcon>

#include "app/CCollectionDlg.h"
#include "app/Platform.h"

CCollectionApp::CCollectionApp(int& argc, char** argv) : QApplication(argc, argv)
{
    setWindowIcon(QIcon(QStringLiteral(":/numora.svg")));
}

int CCollectionApp::InitInstance()
{
    DesktopPlatform platform;
    CCollectionDlg dialog(platform);
    dialog.exec();
    return 0;
}
