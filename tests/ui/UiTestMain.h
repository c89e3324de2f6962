#pragma once

// The window tests are one program. Each test file registers its test object under the file's
// name (NUMORA_UI_TEST(tst_Layout, TestLayout)); the program's first argument names the one to
// run, and the arguments after it go to QtTest.

#include <QApplication>
#include <QTest>

using UiTestRun = int (*)(int argc, char** argv);

struct UiTestRegistration {
    UiTestRegistration(const char* name, UiTestRun run);
};

// What QTEST_MAIN does for a widgets test.
template <class Test>
int RunUiTest(int argc, char** argv)
{
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    Test test;
    return QTest::qExec(&test, argc, argv);
}

#define NUMORA_UI_TEST(name, Test) \
    static const UiTestRegistration numoraUiTest_##name(#name, &RunUiTest<Test>);
