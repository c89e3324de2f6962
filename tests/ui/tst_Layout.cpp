// The main window's layout when its size changes, at the standard metrics (a dialog unit of
// 1.5 by 1.625 pixels, a client area of 480 by 409): the right-hand column follows the right
// edge, the wide fields and the list stretch, the status line stays at the bottom, and the
// window keeps its minimum size.

#include <QTest>

#include "UiTestSupport.h"
#include "app/CCollectionDlg.h"

namespace {

// Controls that the layout never touches.
const QList<int> kFixed = {1005, 1007, 1013, 1009, 1011, 1010, 1012, 1026, 1027, 1042, 1021, 1041};

// Controls that the layout places or sizes.
const QList<int> kLaidOut = {1047, 1014, 1008, 1006, 1019, 1017, 1022, 1,    1000, 1001,
                             1002, 1003, 1025, 1024, 1023, 1028, 1015, 1040, 1029, 1004};

QHash<int, QRect> Geometries(const CCollectionDlg& dlg)
{
    QHash<int, QRect> rects;
    for (int id : kFixed + kLaidOut)
        rects.insert(id, dlg.Control(id)->geometry());
    return rects;
}

// A window at the standard metrics, shown, so that nothing pending moves its controls later.
struct Window {
    TempCurrentDir dir;
    FakePlatform platform;
    CCollectionDlg dlg{platform, nullptr, DialogUnits(1.5, 1.625)};

    Window()
    {
        dlg.show();
        if (!QTest::qWaitForWindowExposed(&dlg))
            qWarning("window not exposed");
    }
};

}  // namespace

class TestLayout : public QObject {
    Q_OBJECT

private slots:
    void placesTheTableAtTheStandardSize_data();
    void placesTheTableAtTheStandardSize();
    void wideningByAHundred_data();
    void wideningByAHundred();
    void heighteningByAHundred();
    void fieldHeightsDoNotCreep();
    void minimisingAndRestoring();
    void resizingTheWindowLaysOutItsClientArea();
    void minimumSize();
};

void TestLayout::placesTheTableAtTheStandardSize_data()
{
    // x and y of -1: the control keeps its corner; a height of -1: not fixed by the table.
    QTest::addColumn<int>("id");
    QTest::addColumn<QRect>("rect");
    QTest::newRow("status line") << 1047 << QRect(3, 394, 400, 15);
    QTest::newRow("Description") << 1014 << QRect(-1, -1, 307, -1);
    QTest::newRow("Image") << 1008 << QRect(-1, -1, 258, -1);
    QTest::newRow("Year") << 1006 << QRect(-1, -1, 122, -1);
    QTest::newRow("Country") << 1019 << QRect(-1, -1, 122, -1);
    QTest::newRow("Condition") << 1017 << QRect(-1, -1, 122, -1);
    QTest::newRow("Category") << 1022 << QRect(-1, -1, 307, -1);
    QTest::newRow("Quit") << 1 << QRect(395, 11, 75, 23);
    const QList<QPair<int, int>> column = {{1000, 39}, {1001, 54},  {1002, 69},  {1003, 84},
                                           {1025, 106}, {1024, 121}, {1023, 143}, {1028, 178},
                                           {1015, 193}, {1040, 161}};
    for (const auto& [id, y] : column)
        QTest::addRow("%d", id) << id << QRect(395, y, 75, 15);
    QTest::newRow("Browse") << 1029 << QRect(344, 152, 48, 22);
    QTest::newRow("list") << 1004 << QRect(-1, -1, 458, 169);
}

void TestLayout::placesTheTableAtTheStandardSize()
{
    QFETCH(int, id);
    QFETCH(QRect, rect);

    Window w;
    const QRect before = w.dlg.Control(id)->geometry();
    w.dlg.OnSize(480, 409);
    const QRect after = w.dlg.Control(id)->geometry();

    QCOMPARE(after.x(), rect.x() < 0 ? before.x() : rect.x());
    QCOMPARE(after.y(), rect.y() < 0 ? before.y() : rect.y());
    QCOMPARE(after.width(), rect.width());
    QCOMPARE(after.height(), rect.height() < 0 ? after.height() : rect.height());
}

void TestLayout::wideningByAHundred_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<int>("moves");
    QTest::addColumn<int>("widens");
    for (int id : {1, 1000, 1001, 1002, 1003, 1025, 1024, 1023, 1028, 1015, 1040, 1029})
        QTest::addRow("moves %d", id) << id << 100 << 0;
    for (int id : {1006, 1019, 1017, 1022, 1008, 1014, 1004})
        QTest::addRow("widens %d", id) << id << 0 << 100;
    for (int id : kFixed)
        QTest::addRow("stays %d", id) << id << 0 << 0;
    QTest::newRow("status line") << 1047 << 0 << 0;
}

void TestLayout::wideningByAHundred()
{
    QFETCH(int, id);
    QFETCH(int, moves);
    QFETCH(int, widens);

    Window w;
    w.dlg.OnSize(480, 409);
    const QRect before = w.dlg.Control(id)->geometry();
    w.dlg.OnSize(580, 409);
    const QRect after = w.dlg.Control(id)->geometry();

    QCOMPARE(after.x() - before.x(), moves);
    QCOMPARE(after.width() - before.width(), widens);
    QCOMPARE(after.y(), before.y());
    QCOMPARE(after.height(), before.height());
}

void TestLayout::heighteningByAHundred()
{
    Window w;
    w.dlg.OnSize(480, 409);
    const QHash<int, QRect> before = Geometries(w.dlg);
    w.dlg.OnSize(480, 509);
    const QHash<int, QRect> after = Geometries(w.dlg);

    for (auto it = before.constBegin(); it != before.constEnd(); ++it) {
        QRect expected = it.value();
        if (it.key() == 1004)
            expected.setHeight(expected.height() + 100);
        else if (it.key() == 1047)
            expected.translate(0, 100);
        QVERIFY2(after.value(it.key()) == expected, qPrintable(QString::number(it.key())));
    }
}

// The single-line fields stay one text line high and the description keeps its height, however
// often the size changes.
void TestLayout::fieldHeightsDoNotCreep()
{
    Window w;
    const int description = w.dlg.Control(1014)->height();
    w.dlg.OnSize(480, 409);
    const int year = w.dlg.Control(1006)->height();
    QCOMPARE(w.dlg.Control(1008)->height(), year);
    QVERIFY(year > w.dlg.Control(1006)->fontMetrics().height());
    QVERIFY(year < 2 * w.dlg.Control(1006)->fontMetrics().height());

    for (int i = 0; i < 25; ++i) {
        w.dlg.OnSize(480 + 37 * (i % 5), 409 + 23 * (i % 7));
        QCOMPARE(w.dlg.Control(1014)->height(), description);
        QCOMPARE(w.dlg.Control(1006)->height(), year);
        QCOMPARE(w.dlg.Control(1008)->height(), year);
    }
}

void TestLayout::minimisingAndRestoring()
{
    Window w;
    w.dlg.OnSize(480, 409);
    const QHash<int, QRect> restored = Geometries(w.dlg);

    w.dlg.OnSize(0, 0);
    QCOMPARE(w.dlg.Control(1)->geometry(), QRect(-85, 11, 75, 23));
    QCOMPARE(w.dlg.Control(1029)->x(), -136);
    QCOMPARE(w.dlg.Control(1006)->width(), 0);  // sizes below zero are applied as zero
    QCOMPARE(w.dlg.Control(1004)->size(), QSize(0, 0));
    QCOMPARE(w.dlg.Control(1047)->y(), -15);

    w.dlg.OnSize(480, 409);
    QCOMPARE(Geometries(w.dlg), restored);
}

void TestLayout::resizingTheWindowLaysOutItsClientArea()
{
    Window w;
    auto* client = w.dlg.findChild<QWidget*>("client");
    QVERIFY(client);
    w.dlg.resize(700, 600);
    QTRY_COMPARE(w.dlg.size(), QSize(700, 600));
    const QSize area = client->size();
    QCOMPARE(area.width(), 700);
    QVERIFY(area.height() < 600);  // the menu bar lies above it

    QCOMPARE(w.dlg.Control(1)->x(), area.width() - 85);
    QCOMPARE(w.dlg.Control(1047)->y(), area.height() - 15);
    QCOMPARE(w.dlg.Control(1004)->width(), area.width() - 22);
    QCOMPARE(w.dlg.Control(1004)->height(), area.height() - 240);
}

// The limit is on the outer window, frame included.
void TestLayout::minimumSize()
{
    Window w;
    const QSize frame = w.dlg.frameGeometry().size() - w.dlg.size();
    QCOMPARE(w.dlg.minimumSize() + frame, QSize(490, 365));
    w.dlg.resize(300, 200);
    QTRY_COMPARE(w.dlg.frameGeometry().size(), QSize(490, 365));
    w.dlg.resize(489 - frame.width(), 600);
    QTRY_COMPARE(w.dlg.frameGeometry().size(), QSize(490, 600 + frame.height()));
}

QTEST_MAIN(TestLayout)
#include "tst_Layout.moc"
