// The first paint of the main window, marked for the start-up trace.

#include "app/StartupTrace.h"

#include <QEvent>
#include <QObject>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <ctime>

namespace {

class FirstPaintFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            StartupTrace::Mark("first paint of the window begun");
            watched->removeEventFilter(this);
            // Posted now, it runs once this paint has been drawn and handed to the display.
            // The wall-clock time lets a benchmark that started the process compare.
            QTimer::singleShot(0, this, [this] {
                StartupTrace::Mark("first paint of the window done");
                timespec now{};
                clock_gettime(CLOCK_REALTIME, &now);
                std::fprintf(stderr, "numora start-up: painted at %lld.%06ld\n",
                             static_cast<long long>(now.tv_sec), now.tv_nsec / 1000);
                deleteLater();
            });
        }
        return false;
    }
};

}  // namespace

void StartupTrace::WatchFirstPaint(QWidget* window)
{
    if (On())
        window->installEventFilter(new FirstPaintFilter(window));
}
