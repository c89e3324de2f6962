// The window under faults: a data file that was not read whole is reported once and never
// written in that run, leftovers of interrupted saves go at the start, a command that fails is
// reported and the window goes on, the end of the session saves as the close box does without
// a box, and a collection file another program wrote is never written over without a question.

#include <sys/stat.h>

#include <cerrno>
#include <new>

#include "UiTestMain.h"
#include "UiTestSupport.h"
#include "core/ReadFault.h"
#include "storage/DataFile.h"

namespace {

const QByteArray kTwoCoins = DataFile({Coin("Morgan Dollar", "1921"), Coin("Buffalo Nickel", "1936")});
const QByteArray kTheirs = DataFile({Coin("Ducat", "1600")});

// Another program's save: a new file renamed over the collection.
void WriteAsAnotherProgram(const QByteArray& bytes)
{
    WriteFileBytes("nmr.dat.other", bytes);
    QVERIFY(::rename("nmr.dat.other", "nmr.dat") == 0);
}

// The contents of the backups, newest first.
QList<QByteArray> Backups()
{
    QList<QByteArray> contents;
    for (const BackupEntry& backup : ListBackups(kDataFileName))
        contents.append(ReadFileBytes(QString::fromStdString(backup.path)));
    return contents;
}

// Makes `name` a file that cannot be read whole, of the `kind` "folder", "fifo" or "read error"
// (`bytes`, of which the first `readable` are read while `fault` lives).
bool PutInTheWay(const char* name, const QString& kind, const QByteArray& bytes, qsizetype readable,
                 std::optional<ReadFaultGuard>& fault)
{
    if (kind == "folder")
        return QDir().mkdir(name);
    if (kind == "fifo")
        return mkfifo(name, 0644) == 0;
    WriteFileBytes(name, bytes);
    fault.emplace(static_cast<std::size_t>(readable));
    return true;
}

}  // namespace

class TestDataSafety : public QObject {
    Q_OBJECT

private slots:
    void fileNotReadWholeIsReportedAndNeverWritten_data();
    void fileNotReadWholeIsReportedAndNeverWritten();
    void unreadableSettingsAreReportedOnceAndNeverWritten_data();
    void unreadableSettingsAreReportedOnceAndNeverWritten();
    void leftoversOfInterruptedSavesGoAtTheStart();
    void aFailingCommandIsReportedAndTheWindowGoesOn();
    void endOfSessionSavesAsTheCloseBoxDoes();
    void endOfSessionShowsNoBoxAndSaysWhatFailed();
    void aChangedFileIsAskedAbout_data();
    void aChangedFileIsAskedAbout();
};

void TestDataSafety::fileNotReadWholeIsReportedAndNeverWritten_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QStringList>("namesRead");
    QTest::addColumn<QString>("why");
    QTest::newRow("folder") << "folder" << QStringList{} << "it is a folder";
    QTest::newRow("FIFO") << "fifo" << QStringList{} << "not an ordinary file";
    QTest::newRow("read error part way") << "read error" << QStringList{"Morgan Dollar"}
                                         << "Input/output error";
}

void TestDataSafety::fileNotReadWholeIsReportedAndNeverWritten()
{
    QFETCH(QString, kind);
    QFETCH(QStringList, namesRead);
    QFETCH(QString, why);

    Session s;
    std::optional<ReadFaultGuard> fault;
    QVERIFY(PutInTheWay("nmr.dat", kind, kTwoCoins, kTwoCoins.indexOf("NAME=Buffalo") + 9, fault));
    s.Open();
    fault.reset();

    QCOMPARE(s.Names(), namesRead);
    QCOMPARE(s.platform.boxes.size(), 1);
    const QString box = s.platform.boxes.takeFirst();
    QVERIFY2(box.startsWith("Collection Not Read: The collection file \"nmr.dat\" could not be read whole: "), qPrintable(box));
    QVERIFY2(box.contains(why) && box.contains("Coins read: " + QString::number(namesRead.size())) &&
                 box.contains("left as it is"), qPrintable(box));

    // Every save of the data file is refused with the usual box, as often as it is tried.
    s.Add(Coin("Thaler", "1780"));
    s.Trigger(MenuCommand::FileSave);  // File > Save
    s.dlg->reject();   // the close box
    QCOMPARE(s.platform.boxes, (QStringList{"Error Writing File: Save to File", "Error Writing File: Save to File"}));
    QVERIFY(QFile::exists("nmr.ini"));  // the preferences are still saved
    if (kind == "folder")
        QVERIFY(QFileInfo("nmr.dat").isDir());
    else if (kind == "fifo")
        QVERIFY(QFileInfo("nmr.dat").isFile() == false && QFileInfo::exists("nmr.dat"));
    else
        QCOMPARE(ReadFileBytes("nmr.dat"), kTwoCoins);
    QCOMPARE(QDir().entryList(QDir::Hidden | QDir::Files | QDir::System).filter(".tmp"), QStringList());
}

void TestDataSafety::unreadableSettingsAreReportedOnceAndNeverWritten_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("why");
    QTest::newRow("folder") << "folder" << "it is a folder, not a file";
    QTest::newRow("FIFO") << "fifo" << "it is not an ordinary file";
    QTest::newRow("read error part way") << "read error"
                                         << "a read error stopped the reading part way through (Input/output error)";
}

void TestDataSafety::unreadableSettingsAreReportedOnceAndNeverWritten()
{
    QFETCH(QString, kind);
    QFETCH(QString, why);

    Session s;
    const QByteArray mine = "CREATOR=NMR 1.0\r\nNAME=Ada Collector\r\nCITY=Leeds\r\nTOOLTIPS=yes\r\n";
    std::optional<ReadFaultGuard> fault;
    QVERIFY(PutInTheWay("nmr.ini", kind, mine, mine.indexOf("CITY"), fault));
    s.Open();
    fault.reset();

    // Said once, naming the file and why; the window starts with the defaults.
    QCOMPARE(s.platform.boxes.size(), 1);
    const QString box = s.platform.boxes.takeFirst();
    QVERIFY2(box.startsWith("Preferences Not Read: The preferences file \"nmr.ini\" could not be read: " + why), qPrintable(box));
    QVERIFY2(box.contains("default preferences") && box.contains("left as it is"), qPrintable(box));
    QCOMPARE(s.dlg->preferences(), Preferences());

    // The Preferences dialog still works, in memory; closing it writes nothing and says so.
    s.platform.onModal = [](QDialog& d) {
        d.findChild<QLineEdit*>(ObjectName(IDC_PREFS_NAME))->setText("Typed Name");
        d.accept();
    };
    s.Button(IDC_PREFERENCES)->click();
    QCOMPARE(s.dlg->preferences()[PrefKey::Name], std::string("Typed Name"));
    s.platform.onModal = nullptr;
    const QString refused = "Error Writing File: The preferences were not written: \"nmr.ini\" could not "
                            "be read when Numora started, so it is left as it is. The changes last until "
                            "Numora ends.";
    QCOMPARE(s.platform.boxes, QStringList{refused});

    // Every way out refuses it the same way, and the collection is still saved.
    s.Add(Coin("Thaler", "1780"));
    s.dlg->reject();
    QCOMPARE(s.platform.boxes, (QStringList{refused, refused}));
    QCOMPARE(ReadFileBytes("nmr.dat"), DataFile({Coin("Thaler", "1780")}));
    if (kind == "folder")
        QVERIFY(QFileInfo("nmr.ini").isDir());
    else if (kind == "fifo")
        QVERIFY(!QFileInfo("nmr.ini").isFile() && QFileInfo::exists("nmr.ini"));
    else
        QCOMPARE(ReadFileBytes("nmr.ini"), mine);
    QCOMPARE(QDir().entryList(QDir::Hidden | QDir::Files | QDir::System).filter(".tmp"), QStringList());
}

void TestDataSafety::leftoversOfInterruptedSavesGoAtTheStart()
{
    Session s;
    WriteFileBytes("nmr.dat", kTwoCoins);
    WriteFileBytes(".nmr.dat.k3j9x0qa.tmp", "half a save");
    WriteFileBytes(".nmr.ini.00000000.tmp", "half a save");
    WriteFileBytes(".nmr.dat.keep.tmp", "the user's");
    s.Open();
    QCOMPARE(QDir().entryList(QDir::Hidden | QDir::Files).filter(".tmp"), QStringList{".nmr.dat.keep.tmp"});
    QCOMPARE(s.Names(), (QStringList{"Buffalo Nickel", "Morgan Dollar"}));
    QVERIFY(s.platform.boxes.isEmpty());
}

void TestDataSafety::aFailingCommandIsReportedAndTheWindowGoesOn()
{
    Session s;
    WriteFileBytes("nmr.dat", kTwoCoins);
    s.Open();
    s.platform.onModal = [](QDialog&) { throw std::bad_alloc(); };
    s.Trigger(MenuCommand::HelpAbout);  // Help > About, whose box cannot be shown
    QCOMPARE(s.platform.boxes, QStringList{"Error: The command could not be completed: there is not "
                                           "enough memory.\nThe collection is as it was before the command."});
    QCOMPARE(s.Names(), (QStringList{"Buffalo Nickel", "Morgan Dollar"}));

    s.platform.onModal = nullptr;
    s.Add(Coin("Thaler", "1780"));
    s.dlg->reject();
    QCOMPARE(ReadFileBytes("nmr.dat"),
             DataFile({Coin("Morgan Dollar", "1921"), Coin("Buffalo Nickel", "1936"), Coin("Thaler", "1780")}));
}

void TestDataSafety::endOfSessionSavesAsTheCloseBoxDoes()
{
    Session s;
    s.Open();
    s.Add(Coin("Thaler", "1780"));
    QCOMPARE(s.dlg->OnEndSession(), 0);
    QCOMPARE(ReadFileBytes("nmr.dat"), DataFile({Coin("Thaler", "1780")}));
    QVERIFY(QFile::exists("nmr.ini"));
    s.Add(Coin("Kreuzer", "1848"));
    s.dlg->reject();  // the end of the process would not write anything a second time
    QCOMPARE(s.dlg->OnEndSession(), 0);
    QCOMPARE(ReadFileBytes("nmr.dat"), DataFile({Coin("Thaler", "1780")}));
    QVERIFY(s.platform.endedWith.isEmpty());
}

void TestDataSafety::endOfSessionShowsNoBoxAndSaysWhatFailed()
{
    {
        // A file marked read-only is refused: it stays, and the code says so.
        Session s;
        WriteFileBytes("nmr.dat", kTwoCoins);
        s.Open();
        s.Add(Coin("Thaler", "1780"));
        QVERIFY(::chmod("nmr.dat", 0444) == 0);
        QCOMPARE(s.dlg->OnEndSession(), 1);
        QCOMPARE(s.platform.boxes, QStringList{});
        QCOMPARE(ReadFileBytes("nmr.dat"), kTwoCoins);
        QVERIFY(QFile::exists("nmr.ini"));
        QCOMPARE(s.dlg->OnEndSession(), 1);  // a second signal: no second attempt
    }
    {
        // Another program's file stays; the list is kept as a backup beside it.
        Session s;
        WriteFileBytes("nmr.dat", kTwoCoins);
        s.Open();
        WriteAsAnotherProgram(kTheirs);
        QCOMPARE(s.dlg->OnEndSession(), 1);
        QCOMPARE(s.platform.boxes, QStringList{});
        QCOMPARE(ReadFileBytes("nmr.dat"), kTheirs);
        QCOMPARE(Backups(), QList<QByteArray>{kTwoCoins});
    }
    {
        // Settings that could not be read at the start stay as they are, without a box.
        Session s;
        QVERIFY(QDir().mkdir("nmr.ini"));
        s.Open();
        s.platform.boxes.clear();  // the start's own box about the settings
        s.Add(Coin("Thaler", "1780"));
        QCOMPARE(s.dlg->OnEndSession(), 1);
        QCOMPARE(s.platform.boxes, QStringList{});
        QVERIFY(QFileInfo("nmr.ini").isDir());
        QCOMPARE(ReadFileBytes("nmr.dat"), DataFile({Coin("Thaler", "1780")}));
    }
}

void TestDataSafety::aChangedFileIsAskedAbout_data()
{
    QTest::addColumn<bool>("atQuit");
    QTest::addColumn<int>("answer");  // 0 Keep Mine, 1 Take Theirs, 2 Cancel
    QTest::addColumn<QByteArray>("dataFile");
    QTest::addColumn<QList<QByteArray>>("backups");  // newest first
    QTest::addColumn<QStringList>("list");
    const QByteArray mine = DataFile({Coin("Morgan Dollar", "1921"), Coin("Buffalo Nickel", "1936"), Coin("Thaler", "1780")});
    const QStringList myList{"Thaler", "Buffalo Nickel", "Morgan Dollar"};
    // The first save already kept the file as loaded.
    QTest::newRow("File > Save, Keep Mine") << false << 0 << mine << QList<QByteArray>{kTheirs, kTwoCoins} << myList;
    QTest::newRow("File > Save, Take Theirs") << false << 1 << kTheirs << QList<QByteArray>{mine, kTwoCoins}
                                              << QStringList{"Ducat"};
    QTest::newRow("File > Save, Cancel") << false << 2 << kTheirs << QList<QByteArray>{kTwoCoins} << myList;
    QTest::newRow("quit, Keep Mine") << true << 0 << mine << QList<QByteArray>{kTheirs, kTwoCoins} << myList;
    QTest::newRow("quit, Cancel") << true << 2 << kTheirs << QList<QByteArray>{mine, kTwoCoins} << myList;
}

void TestDataSafety::aChangedFileIsAskedAbout()
{
    QFETCH(bool, atQuit);
    QFETCH(int, answer);
    QFETCH(QByteArray, dataFile);
    QFETCH(QList<QByteArray>, backups);
    QFETCH(QStringList, list);

    Session s;
    WriteFileBytes("nmr.dat", kTwoCoins);
    s.Open();
    s.Trigger(MenuCommand::FileSave);
    QCOMPARE(s.platform.boxes, QStringList{});  // our own save is no change
    QCOMPARE(Backups(), QList<QByteArray>{kTwoCoins});
    s.Add(Coin("Thaler", "1780"));
    WriteAsAnotherProgram(kTheirs);
    s.platform.choices = {answer};
    atQuit ? s.dlg->reject() : s.Trigger(MenuCommand::FileSave);

    QCOMPARE(s.platform.boxes.size(), 1);
    QVERIFY2(s.platform.boxes[0].startsWith("? The collection file \"nmr.dat\" was changed by another program"),
             qPrintable(s.platform.boxes[0]));
    QVERIFY(s.platform.boxes[0].endsWith(atQuit ? "keeps the list in the backups folder. [Keep &Mine | Take &Theirs | Cancel]"
                                                : "Cancel saves nothing now. [Keep &Mine | Take &Theirs | Cancel]"));
    QCOMPARE(ReadFileBytes("nmr.dat"), dataFile);
    QCOMPARE(Backups(), backups);
    QCOMPARE(s.Names(), list);
    QCOMPARE(QDir().entryList({".*.tmp"}, QDir::Hidden | QDir::Files), QStringList{});
    if (atQuit)
        return;

    // After either answer the file on disk is the one known: the next save asks nothing.
    // Taking theirs is one step that Undo takes back.
    if (answer == 1) {
        QCOMPARE(s.dlg->action(MenuCommand::ItemUndo)->text(), QString("U&ndo Restore Backup"));
        s.Trigger(MenuCommand::ItemUndo);
        QCOMPARE(s.Names(), (QStringList{"Thaler", "Buffalo Nickel", "Morgan Dollar"}));
    }
    s.platform.boxes.clear();
    s.Trigger(MenuCommand::FileSave);
    QCOMPARE(s.platform.boxes.size(), answer == 2 ? 1 : 0);
}

NUMORA_UI_TEST(tst_DataSafety, TestDataSafety)
#include "tst_DataSafety.moc"
