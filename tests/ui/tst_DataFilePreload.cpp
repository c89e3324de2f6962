// The data file read while the toolkit starts: the window gets what it would have read itself,
// a reading is taken once (a later load reads the file as it is then), and a reading started
// for one file is never handed out for another.
#include "UiTestMain.h"
#include "UiTestSupport.h"
#include "app/DataFilePreload.h"

#include <QHeaderView>

class TestDataFilePreload : public QObject {
    Q_OBJECT

private slots:
    void theWindowGetsWhatWasReadAhead();
    void aReadingIsTakenOnceAndOnlyForItsFile();
    void theListsAndWidthsGatheredWhileReadingAreThoseOfAllTheRecords();
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

namespace {

struct Shown {
    QList<int> widths;
    QList<QStringList> lists;
    int rows = 0;
};

Shown WhatTheWindowShows(const Session& s)
{
    Shown shown;
    for (int c = 0; c < kCoinFieldCount; ++c)
        shown.widths.append(s.List()->horizontalHeader()->sectionSize(c));
    for (int id : {IDC_COUNTRY, IDC_CONDITION, IDC_CATEGORY}) {
        QStringList items;
        for (int i = 0; i < s.Combo(id)->count(); ++i)
            items.append(s.Combo(id)->itemText(i));
        shown.lists.append(items);
    }
    shown.rows = s.List()->model()->rowCount();
    return shown;
}

}  // namespace

void TestDataFilePreload::theListsAndWidthsGatheredWhileReadingAreThoseOfAllTheRecords()
{
    // Many runs of records, with the widest texts and the values found once in different runs:
    // the window read ahead shows what the window that reads the file itself shows.
    QList<QStringList> coins;
    for (int i = 0; i < 30000; ++i) {
        QStringList coin = Coin(QString("coin %1").arg(i), "1900", i % 2 ? "France" : "Italia");
        coin[5] = i % 3 ? "Fine" : "Mint";
        coin[10] = i % 5 ? "Silver" : "Gold";
        coins.append(coin);
    }
    coins[9000][0] = "WWWWWWWWWWWWWWWWWWWWWWWWWWWWWW";
    coins[25000][3] = "Ελλάδα";
    coins[29999][3] = "FRANCE";  // the spelling seen first is the one listed
    coins[17][10] = "Bronze";
    coins[20000][12] = "a description wider than any other text of the list";
    Session s;
    WriteFileBytes("nmr.dat", DataFile(coins));
    Session plain;  // reads the file itself
    WriteFileBytes("nmr.dat", DataFile(coins));
    plain.Open();
    QDir::setCurrent(s.dir.path());
    DataFilePreload::Start("nmr.dat");
    s.Open();
    const Shown read = WhatTheWindowShows(s);
    const Shown expected = WhatTheWindowShows(plain);
    QCOMPARE(read.rows, 30000);
    QCOMPARE(read.widths, expected.widths);
    QCOMPARE(read.lists, expected.lists);
    QCOMPARE(read.lists[0], QStringList({"France", "Italia", "Ελλάδα"}));
    QCOMPARE(read.lists[2], QStringList({"Bronze", "Gold", "Silver"}));
    QCOMPARE(s.platform.boxes, QStringList());
}

NUMORA_UI_TEST(tst_DataFilePreload, TestDataFilePreload)
#include "tst_DataFilePreload.moc"
