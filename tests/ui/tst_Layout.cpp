// The main window's layout at the standard metrics (a dialog unit of 1.5 by 1.625 pixels, a
// client area of 480 by 409): the right-hand column follows the right edge, the wide fields
// and the list stretch, the status line stays at the bottom, and the window keeps its minimum
// size.

#include <QAbstractItemView>
#include <QMenuBar>

#include "UiTestMain.h"
#include "UiTestSupport.h"

namespace {

const QList<int> kMoves = {IDC_QUIT, IDC_ADD, IDC_UPDATE, IDC_DELETE, IDC_CLEAR, IDC_LISTPAGE, IDC_CATALOG, IDC_VALUEWIZARD, IDC_PREFERENCES, IDC_HELP, IDC_TOOLTIPS, IDC_BROWSE};
const QList<int> kWidens = {IDC_YEAR, IDC_COUNTRY, IDC_CONDITION, IDC_CATEGORY, IDC_IMAGE, IDC_DESCRIPTION, IDC_LIST};
const QList<int> kFixed = {IDC_NAME, IDC_FACEVALUE, IDC_MINTMARKS, IDC_PURCHASEPRICE, IDC_CURRENTVALUE, IDC_PURCHASEDATE, IDC_VALUATIONDATE, IDC_PURCHASEDATE_PICK, IDC_VALUATIONDATE_PICK, IDC_VIEW, IDC_ITEMCOUNT,
                           IDC_IMAGE_LABEL, IDC_STATUS};

QHash<int, QRect> Geometries(const Session& s)
{
    QHash<int, QRect> rects;
    for (int id : kMoves + kWidens + kFixed)
        rects.insert(id, s.Control(id)->geometry());
    return rects;
}

int MenuHeight(const Session& s) { return s.dlg->findChild<QMenuBar*>()->height(); }

// The application's font at a multiple of its size while it lives.
struct FontScale {
    QFont before = QApplication::font();
    explicit FontScale(double scale)
    {
        QFont font = before;
        font.setPointSizeF(before.pointSizeF() * scale);
        QApplication::setFont(font);
    }
    ~FontScale() { QApplication::setFont(before); }
};

}  // namespace

class TestLayout : public QObject {
    Q_OBJECT

private slots:
    void followsTheSize();
    void followsTheSizeAtDesktopUnits();
    void minimumSize();
    void laidOutFromTheFirstPaint();
    void listsOpenToTheBottom();

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
    QCOMPARE(at(IDC_STATUS), QRect(3, 394, 400, 15));
    QCOMPARE(at(1), QRect(395, 11, 75, 23));
    QCOMPARE(at(IDC_BROWSE), QRect(344, 152, 48, 22));
    for (auto [id, y] : {std::pair{IDC_ADD, 39}, {IDC_UPDATE, 54}, {IDC_DELETE, 69}, {IDC_CLEAR, 84}, {IDC_LISTPAGE, 106},
                         {IDC_CATALOG, 121}, {IDC_VALUEWIZARD, 143}, {IDC_PREFERENCES, 178}, {IDC_HELP, 193}, {IDC_TOOLTIPS, 161}})
        QVERIFY2(at(id) == QRect(395, y, 75, 15), qPrintable(QString::number(id)));
    // The wide fields and the list keep their corners; their widths are fixed here.
    for (auto [id, width] : {std::pair{IDC_DESCRIPTION, 307}, {IDC_IMAGE, 258}, {IDC_YEAR, 122}, {IDC_COUNTRY, 122},
                             {IDC_CONDITION, 122}, {IDC_CATEGORY, 307}, {IDC_LIST, 458}})
        QVERIFY2(at(id) == QRect(before.value(id).topLeft(), QSize(width, at(id).height())),
                 qPrintable(QString::number(id)));
    QCOMPARE(at(IDC_LIST).height(), 169);

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
    QCOMPARE(at(IDC_STATUS).bottom(), cy - 1);
    FollowsEdges(s, cx, cy);
}

void TestLayout::FollowsEdges(Session& s, int cx, int cy)
{
    auto at = [&](int id) { return s.Control(id)->geometry(); };
    s.dlg->OnSize(cx, cy);
    const QHash<int, QRect> standard = Geometries(s);
    const int description = at(IDC_DESCRIPTION).height();
    for (auto [dx, dy] : {std::pair{100, 0}, {0, 100}}) {
        s.dlg->OnSize(cx + dx, cy + dy);
        for (int id : standard.keys()) {
            QRect want = standard.value(id).translated(kMoves.contains(id) ? dx : 0,
                                                       id == IDC_STATUS ? dy : 0);
            want.setSize(want.size() + QSize(kWidens.contains(id) ? dx : 0, id == IDC_LIST ? dy : 0));
            QVERIFY2(at(id) == want, qPrintable(QString::number(id)));
        }
    }
    for (int i = 0; i < 10; ++i) {
        s.dlg->OnSize(cx + 37 * (i % 5), cy + 23 * (i % 7));
        QCOMPARE(at(IDC_DESCRIPTION).height(), description);
    }

    s.dlg->OnSize(0, 0);  // minimised
    QCOMPARE(at(IDC_LIST).size(), QSize(0, 0));
    s.dlg->OnSize(cx, cy);
    QCOMPARE(Geometries(s), standard);
}

// The limit keeps a client area as wide as the template and 318 drawn pixels high under the menu
// bar (480 by 318 at the standard metrics): an outer window of 490 by 365 with the standard
// frame. At any font the same area converted with the window's units; a resize lays it out.
void TestLayout::minimumSize()
{
    Session s;
    s.Open(DialogUnits(1.5, 1.625));
    QVERIFY(s.Show());
    const int menu = MenuHeight(s);
    QCOMPARE(s.dlg->minimumSize(), QSize(480, 318 + menu));
    s.dlg->resize(300, 200);
    QTRY_COMPARE(s.dlg->size(), QSize(480, 318 + menu));
    s.dlg->resize(700, 600);
    QTRY_COMPARE(s.dlg->size(), QSize(700, 600));
    QCOMPARE(s.Control(IDC_QUIT)->x(), 700 - 85);
    QCOMPARE(s.Control(IDC_STATUS)->y(), s.dlg->findChild<QWidget*>("client")->height() - 15);

    for (double scale : {1.0, 2.0}) {
        FontScale font(scale);
        Session t;
        t.Open();
        QVERIFY(t.Show());
        const DialogUnits units(t.dlg->font());
        const QSize client = t.dlg->minimumSize() - QSize(0, MenuHeight(t));
        QCOMPARE(client, QSize(units.X(320), units.Y(318 / 1.625)));
        qInfo("minimum at %gx the font: %dx%d (client %dx%d)", scale, t.dlg->minimumWidth(),
              t.dlg->minimumHeight(), client.width(), client.height());
        // The template's own size is never below the limit.
        QVERIFY(client.width() <= units.X(320) && client.height() <= units.Y(252));
    }
}

// The resize rules lay the window out from its first paint: as it opens at the template's size,
// and when it is made larger before it is first shown.
void TestLayout::laidOutFromTheFirstPaint()
{
    for (double scale : {1.0, 2.0}) {
        for (QSize larger : {QSize(), QSize(300, 200)}) {
            FontScale font(scale);
            Session s;
            s.Open();
            const DialogUnits units(s.dlg->font());
            if (!larger.isEmpty())
                s.dlg->resize(s.dlg->size() + larger);
            QVERIFY(s.Show());
            QWidget* client = s.dlg->findChild<QWidget*>("client");
            if (larger.isEmpty())
                QCOMPARE(client->size(), QSize(units.X(320), units.Y(252)));
            const QHash<int, QRect> shown = Geometries(s);
            s.dlg->OnSize(client->width(), client->height());
            const QHash<int, QRect> resized = Geometries(s);
            for (int id : shown.keys())
                QVERIFY2(shown.value(id) == resized.value(id),
                         qPrintable(QString("control %1 at %2x the font").arg(id).arg(scale)));
        }
    }
}

// An open list of Country, Condition or Category ends at the bottom of the client area, or
// sooner when its entries end sooner; it follows the window's height.
void TestLayout::listsOpenToTheBottom()
{
    for (double scale : {1.0, 2.0}) {
        FontScale font(scale);
        Session s;
        s.Open();
        QVERIFY(s.Show());
        QWidget* client = s.dlg->findChild<QWidget*>("client");
        for (int grow : {0, 120}) {
            s.dlg->resize(s.dlg->size() + QSize(0, grow));
            QTRY_COMPARE(client->height(), s.dlg->height() - MenuHeight(s));
            const int bottom = client->mapToGlobal(QPoint(0, client->height())).y();
            for (int id : {IDC_COUNTRY, IDC_CONDITION, IDC_CATEGORY}) {
                QComboBox* combo = s.Combo(id);
                for (int entries : {3, 200}) {
                    combo->clear();
                    for (int i = 0; i < entries; ++i)
                        combo->addItem(QString("Entry %1").arg(i, 3, 10, QChar('0')));
                    combo->showPopup();
                    QWidget* popup = combo->view()->window();
                    QTRY_VERIFY(popup->isVisible());
                    const QRect open = popup->geometry();
                    const QString what = QString("list %1 of %2 entries at %3x the font, %4 px taller")
                                             .arg(id).arg(entries).arg(scale).arg(grow);
                    QVERIFY2(open.top() >= combo->mapToGlobal(QPoint(0, combo->height())).y() - 1,
                             qPrintable(what));
                    if (entries > 100)
                        QVERIFY2(open.bottom() + 1 == bottom,
                                 qPrintable(what + QString(": ends at %1, not %2").arg(open.bottom() + 1).arg(bottom)));
                    else
                        QVERIFY2(open.bottom() + 1 < bottom &&
                                     open.height() >= entries * combo->view()->sizeHintForRow(0),
                                 qPrintable(what));
                    combo->hidePopup();
                    QTRY_VERIFY(!popup->isVisible());
                }
            }
        }
    }
}

NUMORA_UI_TEST(tst_Layout, TestLayout)
#include "tst_Layout.moc"
