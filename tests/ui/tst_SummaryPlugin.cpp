// The summary's plug-in as the main window finds it: missing, or not a library, it is named in
// an error box and the window goes on with the collection as it was; found, it opens the
// summary. The dialog itself is tested in tst_Summary.
#include <QLabel>

#include "UiTestMain.h"
#include "UiTestSupport.h"

class TestSummaryPlugin : public QObject {
    Q_OBJECT

private slots:
    void aMissingPluginIsNamedAndNothingIsLost();
    void aFileThatIsNoLibraryIsRefused();
    void theBuiltPluginOpensTheSummary();
};

namespace {

// Points the window at `folder` for the plug-in, and back at what it was afterwards.
struct PluginFolder {
    QByteArray old = qgetenv("NUMORA_PLUGIN_DIR");
    explicit PluginFolder(const QString& folder) { qputenv("NUMORA_PLUGIN_DIR", folder.toLocal8Bit()); }
    ~PluginFolder() { qputenv("NUMORA_PLUGIN_DIR", old); }
};

}  // namespace

void TestSummaryPlugin::aMissingPluginIsNamedAndNothingIsLost()
{
    Session s;
    WriteFileBytes("nmr.dat", DataFile({Coin("Penny", "1901", "UK"), Coin("Sou", "1850", "France")}));
    s.Open();
    QTemporaryDir empty;
    PluginFolder folder(empty.path());
    bool dialogShown = false;
    s.platform.onModal = [&](QDialog&) { dialogShown = true; };
    s.Trigger(MenuCommand::ViewSummary);
    QVERIFY(!dialogShown);
    QCOMPARE(s.platform.boxes.size(), 1);
    QCOMPARE(s.platform.boxes[0], "Error: The summary cannot be shown: numora-summary.so was not found in " +
                                      empty.path() + ".");
    QCOMPARE(s.Names(), QStringList({"Sou", "Penny"}));
    s.dlg->OnFileSave();
    QCOMPARE(ReadFileBytes("nmr.dat"), DataFile({Coin("Penny", "1901", "UK"), Coin("Sou", "1850", "France")}));
}

void TestSummaryPlugin::aFileThatIsNoLibraryIsRefused()
{
    Session s;
    s.Open();
    QTemporaryDir broken;
    WriteFileBytes(broken.filePath("numora-summary.so"), "not a library\n");
    PluginFolder folder(broken.path());
    s.Trigger(MenuCommand::ViewSummary);
    QCOMPARE(s.platform.boxes.size(), 1);
    QVERIFY2(s.platform.boxes[0].startsWith("Error: The summary cannot be shown: ") &&
                 s.platform.boxes[0].contains(broken.filePath("numora-summary.so")),
             qPrintable(s.platform.boxes[0]));
}

void TestSummaryPlugin::theBuiltPluginOpensTheSummary()
{
    Session s;
    WriteFileBytes("nmr.dat", DataFile({Coin("Penny", "1901", "UK")}));
    s.Open();
    QString title;
    s.platform.onModal = [&](QDialog& d) { title = d.windowTitle(); };
    s.Trigger(MenuCommand::ViewSummary);  // NUMORA_PLUGIN_DIR is the build's folder
    QCOMPARE(s.platform.boxes, QStringList());
    QCOMPARE(title, "Collection Summary");
}

NUMORA_UI_TEST(tst_SummaryPlugin, TestSummaryPlugin)
#include "tst_SummaryPlugin.moc"
