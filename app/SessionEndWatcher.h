#pragma once

#include <QObject>

class QSocketNotifier;

// Tells when the program is asked to end from outside the window: SIGTERM, SIGINT or SIGHUP,
// or the desktop session ending (a logout). The signal handler only writes a byte to a pipe;
// everything else runs later in the event loop, where saving files is safe.
class SessionEndWatcher : public QObject {
    Q_OBJECT

public:
    explicit SessionEndWatcher(QObject* parent = nullptr);
    ~SessionEndWatcher() override;

signals:
    void endRequested();

private:
    QSocketNotifier* m_notifier = nullptr;
};
