// The window under faults: a data file that was not read whole is reported once and never
// written in that run, leftovers of interrupted saves go at the start, a command that fails is
// reported and the window goes on, and the end of the session saves as the close box does.

#include <sys/stat.h>

#include <cerrno>
#include <new>

#include "UiTestSupport.h"
#include "core/ReadFault.h"

namespace {

const QByteArray kTwoCoins = DataFile({Coin("Morgan Dollar", "1921"), Coin("Buffalo Nickel", "1936")});

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
        d.findChild<QLineEdit*>("1005")->setText("Typed Name");
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
    s.dlg->OnEndSession();
    QCOMPARE(s.platform.endedWith, QList<int>{0});
    QCOMPARE(ReadFileBytes("nmr.dat"), DataFile({Coin("Thaler", "1780")}));
    QVERIFY(QFile::exists("nmr.ini"));
    s.dlg->reject();  // the end of the process would not write anything a second time
    s.dlg->OnEndSession();
    QCOMPARE(s.platform.endedWith, QList<int>{0});
}

QTEST_MAIN(TestDataSafety)
#include "tst_DataSafety.moc"
