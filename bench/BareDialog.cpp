// The floor of the whole-process benchmark: what Qt itself takes to start and show a dialog
// with one empty table of thirteen columns, as the program's main window is, with nothing
// read. whole_process.sh times it beside the program in the same runs. Escape ends it.
//
// With NUMORA_TRACE_STARTUP set it prints, as the program does, the wall-clock time at which
// the first paint of the dialog was done ("painted at <seconds since the epoch>").
#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QStandardItemModel>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

class PaintWatch : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            // Posted now, it runs once this paint has been drawn and handed to the display.
            QTimer::singleShot(0, [] {
                const double now = std::chrono::duration<double>(
                                       std::chrono::system_clock::now().time_since_epoch())
                                       .count();
                std::fprintf(stderr, "numora start-up: painted at %.6f\n", now);
            });
        }
        return false;
    }
};

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QDialog dialog;
    dialog.setWindowTitle(QStringLiteral("Bare Qt dialog"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* table = new QTableView(&dialog);
    table->setModel(new QStandardItemModel(0, 13, table));
    layout->addWidget(table);
    dialog.resize(640, 480);
    if (std::getenv("NUMORA_TRACE_STARTUP"))
        dialog.installEventFilter(new PaintWatch(&dialog));
    dialog.show();
    return app.exec() == 0 ? 0 : 1;
}
