// The main window's layout at the standard metrics (a dialog unit of 1.5 by 1.625 pixels, a
// client area of 480 by 409): the right-hand column follows the right edge, the wide fields
// and the list stretch, the status line stays at the bottom, and the window keeps its minimum
// size.

#include "UiTestSupport.h"

namespace {

const QList<int> kMoves = {1, 1000, 1001, 1002, 1003, 1025, 1024, 1023, 1028, 1015, 1040, 1029};
const QList<int> kWidens = {1006, 1019, 1017, 1022, 1008, 1014, 1004};
const QList<int> kFixed = {1005, 1007, 1013, 1009, 1011, 1010, 1012, 1026, 1027, 1042, 1021,
                           1041, 1047};

QHash<int, QRect> Geometries(const Session& s)
{
    QHash<int, QRect> rects;
    for (int id : kMoves + kWidens + kFixed)
        rects.insert(id, s.Control(id)->geometry());
    return rects;
}

}  // namespace

class TestLayout : public QObject {
    Q_OBJECT

private slots:
    void followsTheSize();
    void followsTheSizeAtDesktopUnits();
    void minimumSize();

private:
    void FollowsEdges(Session& s, int cx, int cy);
};

void TestLayout::followsTheSize()
{
    Session s;
    s.Open(DialogUnits(1.5, 1.625));
    QVERIFY(s.Show());
    const QHash<int, QRect> before = Geometries(s);
    s.dlg->OnSize(480, 409);
    auto at = [&](int id) { return s.Control(id)->geometry(); };
    QCOMPARE(at(1047), QRect(3, 394, 400, 15));
    QCOMPARE(at(1), QRect(395, 11, 75, 23));
    QCOMPARE(at(1029), QRect(344, 152, 48, 22));
    for (auto [id, y] : {std::pair{1000, 39}, {1001, 54}, {1002, 69}, {1003, 84}, {1025, 106},
                         {1024, 121}, {1023, 143}, {1028, 178}, {1015, 193}, {1040, 161}})
        QVERIFY2(at(id) == QRect(395, y, 75, 15), qPrintable(QString::number(id)));
    // The wide fields and the list keep their corners; their widths are fixed here.
    for (auto [id, width] : {std::pair{1014, 307}, {1008, 258}, {1006, 122}, {1019, 122},
                             {1017, 122}, {1022, 307}, {1004, 458}})
        QVERIFY2(at(id) == QRect(before.value(id).topLeft(), QSize(width, at(id).height())),
                 qPrintable(QString::number(id)));
    QCOMPARE(at(1004).height(), 169);

    FollowsEdges(s, 480, 409);
    s.dlg->OnSize(0, 0);  // minimised: the column leaves the window to the left
    QCOMPARE(at(1), QRect(-85, 11, 75, 23));
}

// At the desktop's own dialog units (DejaVu Sans 9 pt here), the same rules hold around the
// window's own client size.
void TestLayout::followsTheSizeAtDesktopUnits()
{
    Session s;
    const DialogUnits units(1.85, 1.75);
    s.Open(units);
    QVERIFY(s.Show());
    const int cx = units.X(320), cy = units.Y(252);
    s.dlg->OnSize(cx, cy);
    auto at = [&](int id) { return s.Control(id)->geometry(); };
    // The drawn pixels of the layout, converted with these units: the button column 85 drawn
    // pixels from the right edge, 75 wide; the status line 15 high at the bottom.
    QCOMPARE(at(1), QRect(cx - units.X(85 / 1.5), units.Y(11 / 1.625), units.X(75 / 1.5), units.Y(23 / 1.625)));
    QCOMPARE(at(1047).bottom(), cy - 1);
    FollowsEdges(s, cx, cy);
}

void TestLayout::FollowsEdges(Session& s, int cx, int cy)
{
    auto at = [&](int id) { return s.Control(id)->geometry(); };
    s.dlg->OnSize(cx, cy);
    const QHash<int, QRect> standard = Geometries(s);
    const int description = at(1014).height();
    for (auto [dx, dy] : {std::pair{100, 0}, {0, 100}}) {
        s.dlg->OnSize(cx + dx, cy + dy);
        for (int id : standard.keys()) {
            QRect want = standard.value(id).translated(kMoves.contains(id) ? dx : 0,
                                                       id == 1047 ? dy : 0);
            want.setSize(want.size() + QSize(kWidens.contains(id) ? dx : 0, id == 1004 ? dy : 0));
            QVERIFY2(at(id) == want, qPrintable(QString::number(id)));
        }
    }
    for (int i = 0; i < 10; ++i) {
        s.dlg->OnSize(cx + 37 * (i % 5), cy + 23 * (i % 7));
        QCOMPARE(at(1014).height(), description);
    }

    s.dlg->OnSize(0, 0);  // minimised
    QCOMPARE(at(1004).size(), QSize(0, 0));
    s.dlg->OnSize(cx, cy);
    QCOMPARE(Geometries(s), standard);
}

// The limit is on the outer window, frame included; a resize lays out the client area.
void TestLayout::minimumSize()
{
    Session s;
    s.Open(DialogUnits(1.5, 1.625));
    QVERIFY(s.Show());
    const QSize frame = s.dlg->frameGeometry().size() - s.dlg->size();
    QCOMPARE(s.dlg->minimumSize() + frame, QSize(490, 365));
    s.dlg->resize(300, 200);
    QTRY_COMPARE(s.dlg->frameGeometry().size(), QSize(490, 365));
    s.dlg->resize(700, 600);
    QTRY_COMPARE(s.dlg->size(), QSize(700, 600));
    QCOMPARE(s.Control(1)->x(), 700 - 85);
    QCOMPARE(s.Control(1047)->y(), s.dlg->findChild<QWidget*>("client")->height() - 15);
}

QTEST_MAIN(TestLayout)
#include "tst_Layout.moc"
