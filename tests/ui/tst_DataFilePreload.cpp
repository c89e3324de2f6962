// The data file read while the toolkit starts: the window gets what it would have read itself,
// a reading is taken once (a later load reads the file as it is then), and a reading started
// for one file is never handed out for another.
#include "UiTestMain.h"
#include "UiTestSupport.h"
#include "app/DataFilePreload.h"

#include <QHeaderView>

#include <cstdio>
#include <future>

class TestDataFilePreload : public QObject {
    Q_OBJECT

private slots:
    void theWindowGetsWhatWasReadAhead();
    void aReadingIsTakenOnceAndOnlyForItsFile();
    void theListsAndWidthsGatheredWhileReadingAreThoseOfAllTheRecords();
    void aReadingBegunBeforeTheLockMakesNothingAndGivesWayToAFileSavedSince();
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

namespace {

// Notes what it is given, and says when the reading has ended.
class NoteTaker : public RecordsSoFar::Follower {
public:
    void Look(std::span<const CoinRecord> records) override
    {
        for (const CoinRecord& r : records)
            notes.append(QString::fromStdString(std::string(r.Get(CoinField::Name))));
    }
    void Forget() override { notes.append("forget"); }
    void Ended() override { ended.set_value(); }

    QStringList notes;
    std::promise<void> ended;
};

}  // namespace

void TestDataFilePreload::aReadingBegunBeforeTheLockMakesNothingAndGivesWayToAFileSavedSince()
{
    QTemporaryDir dir;
    const QString old = QDir::currentPath();
    QDir::setCurrent(dir.path());

    // Nothing is started for a missing file, and nothing made: the window's own reading, once
    // it holds the lock, makes it.
    DataFilePreload::Start("nmr.dat");
    QVERIFY(!DataFilePreload::FollowAhead("nmr.dat", std::make_shared<NoteTaker>()));
    QVERIFY(!QFileInfo::exists("nmr.dat"));
    FileStamp stamp;
    QCOMPARE(Names(DataFilePreload::Take("nmr.dat", stamp)), QStringList());
    QVERIFY(QFileInfo::exists("nmr.dat"));

    // Another window saves (a new file put in place) after the reading has ended: the window
    // gets the file as it is now, and the follower forgets what it was given first.
    WriteFileBytes("nmr.dat", DataFile({Coin("Old")}));
    DataFilePreload::Start("nmr.dat");
    auto follower = std::make_shared<NoteTaker>();
    std::future<void> ended = follower->ended.get_future();
    QVERIFY(DataFilePreload::FollowAhead("nmr.dat", follower));
    QVERIFY(!DataFilePreload::FollowAhead("nmr.dat", follower));  // one thread follows
    ended.wait();
    WriteFileBytes("nmr.part", DataFile({Coin("New"), Coin("Newer")}));
    QCOMPARE(std::rename("nmr.part", "nmr.dat"), 0);
    QCOMPARE(Names(DataFilePreload::Take("nmr.dat", stamp, follower.get())), QStringList({"New", "Newer"}));
    QCOMPARE(follower->notes, QStringList({"Old", "forget", "New", "Newer"}));
    QVERIFY(CompareWithStamp("nmr.dat", stamp) == FileChange::Unchanged);

    // Unchanged since, the reading followed ahead is taken as it is.
    DataFilePreload::Start("nmr.dat");
    auto second = std::make_shared<NoteTaker>();
    QVERIFY(DataFilePreload::FollowAhead("nmr.dat", second));
    QCOMPARE(Names(DataFilePreload::Take("nmr.dat", stamp, second.get())), QStringList({"New", "Newer"}));
    QCOMPARE(second->notes, QStringList({"New", "Newer"}));
    QDir::setCurrent(old);
}

NUMORA_UI_TEST(tst_DataFilePreload, TestDataFilePreload)
#include "tst_DataFilePreload.moc"
