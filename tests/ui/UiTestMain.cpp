#include "UiTestMain.h"

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>

namespace {

std::map<std::string, UiTestRun>& Tests()
{
    static std::map<std::string, UiTestRun> tests;
    return tests;
}

}  // namespace

UiTestRegistration::UiTestRegistration(const char* name, UiTestRun run) { Tests()[name] = run; }

int main(int argc, char** argv)
{
    const auto test = argc > 1 ? Tests().find(argv[1]) : Tests().end();
    if (test == Tests().end()) {
        std::fprintf(stderr, "usage: %s TEST [QtTest options]; the tests:", argv[0]);
        for (const auto& [name, run] : Tests())
            std::fprintf(stderr, " %s", name.c_str());
        std::fprintf(stderr, "\n");
        return 2;
    }
    // The offscreen screen is made large enough for the main window at twice the font, so that
    // no window or open list is cut by the screen's edge.
    QTemporaryDir screens;
    if (qgetenv("QT_QPA_PLATFORM") == "offscreen") {
        const QString config = screens.path() + "/screens.json";
        QFile file(config);
        if (!file.open(QIODevice::WriteOnly))
            return 1;
        file.write(R"({"screens": [{"name": "large", "x": 0, "y": 0, "width": 2560, "height": 2048,
                       "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
        file.close();
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.toLocal8Bit());
    }
    // The test's name takes the program's place in what QtTest is given.
    argv[1] = argv[0];
    return test->second(argc - 1, argv + 1);
}
