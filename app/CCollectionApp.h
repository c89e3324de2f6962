#pragma once

#include <QApplication>

class Platform;

// The application: runs the main window modally and ends when it closes.
class CCollectionApp : public QApplication {
    Q_OBJECT

public:
    CCollectionApp(int& argc, char** argv);

    // Shows the main window until it is closed; the process's exit code. Ends at once, reading
    // and writing nothing, when the collection in the current folder is open in another window.
    int InitInstance();

    // Takes the lock on the collection of the current folder, which InitInstance otherwise
    // takes itself: called before the toolkit starts, the collection can be read while it
    // starts. False when another window holds the lock; true when this process holds it, or
    // where no lock can be made (a folder the user may not write). Tried once per process.
    static bool LockCollection();

    // Delivers an event; an exception that a handler lets out is reported in a message box
    // through `platform` and the program goes on.
    bool notify(QObject* receiver, QEvent* event) override;
    void SetPlatform(Platform* platform) { m_platform = platform; }

private:
    Platform* m_platform = nullptr;
};
