// The data file read while the toolkit starts: the window gets what it would have read itself,
// a reading is taken once (a later load reads the file as it is then), and a reading started
// for one file is never handed out for another.
#include "UiTestMain.h"
#include "UiTestSupport.h"
#include "app/DataFilePreload.h"

class TestDataFilePreload : public QObject {
    Q_OBJECT

private slots:
    void theWindowGetsWhatWasReadAhead();
    void aReadingIsTakenOnceAndOnlyForItsFile();
};

namespace {

QStringList Names(const DataFileContents& contents)
{
    QStringList names;
    for (const CoinRecord& record : contents.records)
        names.append(QString::fromStdString(std::string(record.Get(CoinField::Name))));
    return names;
}

}  // namespace

void TestDataFilePreload::theWindowGetsWhatWasReadAhead()
{
    Session s;
    WriteFileBytes("nmr.dat", DataFile({Coin("Penny", "1901", "UK"), Coin("Sou", "1850", "France")}));
    DataFilePreload::Start("nmr.dat");
    s.Open();
    QCOMPARE(s.Names(), QStringList({"Sou", "Penny"}));
    QCOMPARE(s.platform.boxes, QStringList());
    // Taken by the window: a second window reads the file again.
    s.dlg.reset();
    WriteFileBytes("nmr.dat", DataFile({Coin("Ducat", "1700", "Venice")}));
    s.Open();
    QCOMPARE(s.Names(), QStringList({"Ducat"}));
}

void TestDataFilePreload::aReadingIsTakenOnceAndOnlyForItsFile()
{
    QTemporaryDir dir;
    const QString old = QDir::currentPath();
    QDir::setCurrent(dir.path());
    WriteFileBytes("a.dat", DataFile({Coin("A")}));
    WriteFileBytes("b.dat", DataFile({Coin("B")}));
    // An unreadable file's fault comes through the reading ahead as it would without it.
    QVERIFY(QDir().mkdir("folder.dat"));

    FileStamp stamp;
    DataFilePreload::Start("a.dat");
    QCOMPARE(Names(DataFilePreload::Take("b.dat", stamp)), QStringList({"B"}));
    QCOMPARE(Names(DataFilePreload::Take("a.dat", stamp)), QStringList({"A"}));
    // The reading ahead stamps the file it read, so the next save knows it for ours.
    QVERIFY(stamp.exists);
    QVERIFY(CompareWithStamp("a.dat", stamp) == FileChange::Unchanged);
    WriteFileBytes("a.dat", DataFile({Coin("A2")}));
    QVERIFY(CompareWithStamp("a.dat", stamp) != FileChange::Unchanged);
    QCOMPARE(Names(DataFilePreload::Take("a.dat", stamp)), QStringList({"A2"}));

    DataFilePreload::Start("folder.dat");
    const DataFileContents folder = DataFilePreload::Take("folder.dat", stamp);
    const DataFileContents direct = ReadDataFileContents("folder.dat");
    QVERIFY(!folder.ok);
    QCOMPARE(folder.problem, direct.problem);
    QDir::setCurrent(old);
}

NUMORA_UI_TEST(tst_DataFilePreload, TestDataFilePreload)
#include "tst_DataFilePreload.moc"
