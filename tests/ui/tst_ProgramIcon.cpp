// The program's icon: the application object gives every window the coin icon in all its
// sizes, without an image plugin, and names its desktop entry; the About box shows the icon.

#include <QLabel>

#include "UiTestMain.h"
#include "UiTestSupport.h"
#include "app/CCollectionApp.h"

namespace {

// True when the pixmap has the given size and something is drawn in its middle.
bool Drawn(const QPixmap& pixmap, int side)
{
    const QImage image = pixmap.toImage();
    return !image.isNull() && image.width() == side && image.height() == side &&
           image.pixelColor(side / 2, side / 2).alpha() == 255;
}

}  // namespace

class TestProgramIcon : public QObject {
    Q_OBJECT

private slots:
    void applicationIcon();
    void mainWindowAndAboutBox();
};

void TestProgramIcon::applicationIcon()
{
    const QIcon icon = QApplication::windowIcon();
    QVERIFY(!icon.isNull());
    // Every size comes from its own PNG, which Qt reads without the SVG plugin.
    const QList<QSize> sizes = icon.availableSizes();
    for (const int side : {16, 24, 32, 48, 64, 128, 256}) {
        QVERIFY2(sizes.contains(QSize(side, side)), qPrintable(QString::number(side)));
        QVERIFY2(Drawn(icon.pixmap(side), side), qPrintable(QString::number(side)));
    }
    QCOMPARE(QGuiApplication::desktopFileName(), QStringLiteral("numora"));
}

void TestProgramIcon::mainWindowAndAboutBox()
{
    Session s;
    s.Open();
    QVERIFY(Drawn(s.dlg->windowIcon().pixmap(32), 32));
    QVERIFY(s.Show());
    bool shown = false;
    s.platform.onModal = [&](QDialog& about) {
        const auto* label = about.findChild<QLabel*>(QStringLiteral("icon"));
        QVERIFY(label);
        QVERIFY(label->isVisible());
        QVERIFY(about.rect().contains(label->geometry()));
        QVERIFY(Drawn(label->pixmap(), label->width()));
        shown = true;
        about.accept();
    };
    s.Trigger(MenuCommand::HelpAbout);
    QVERIFY(shown);
}

// The application object under test is the program's own, not the one QTEST_MAIN would make.
static int RunProgramIcon(int argc, char** argv)
{
    CCollectionApp app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    TestProgramIcon test;
    return QTest::qExec(&test, argc, argv);
}

static const UiTestRegistration registered("tst_ProgramIcon", &RunProgramIcon);

#include "tst_ProgramIcon.moc"
