#pragma once

#include <QApplication>

// The application: runs the main window modally and ends when it closes.
class CCollectionApp : public QApplication {
    Q_OBJECT

public:
    CCollectionApp(int& argc, char** argv);

    // Shows the main window until it is closed; the process's exit code.
    int InitInstance();
};
