#include <gtest/gtest.h>

#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

#include "core/TestSupport.h"
#include "storage/AtomicFile.h"
#include "storage/BackupCoinCounter.h"
#include "storage/Backups.h"
#include "storage/DataFile.h"

namespace {

// What a backup did, a failure included, so that a check for one answer fails on any other.
enum class Did { Made, SameAsNewest, NothingToKeep, Failed };

Did What(const BackupResult& result)
{
    if (!result)
        return Did::Failed;
    switch (result.kept) {
    case BackupResult::Kept::Made: return Did::Made;
    case BackupResult::Kept::SameAsNewest: return Did::SameAsNewest;
    case BackupResult::Kept::NothingToKeep: break;
    }
    return Did::NothingToKeep;
}

BackupTime At(int day, int hour, int minute, int second)
{
    return {2026, 3, day, hour, minute, second};
}

struct stat StatOf(const std::string& path)
{
    struct stat st {};
    stat(path.c_str(), &st);
    return st;
}

std::vector<std::string> Names(const std::vector<BackupEntry>& backups)
{
    std::vector<std::string> names;
    for (const BackupEntry& b : backups)
        names.push_back(fs::path(b.path).filename().string());
    return names;
}

}  // namespace

TEST(Backups, AreMadeOnlyWhenTheContentsDifferFromTheNewest)
{
    TempDir dir;
    const std::string data = dir.File("nmr.dat");
    EXPECT_EQ(What(KeepBackup(data, At(1, 9, 0, 0))), Did::NothingToKeep);
    WriteBytes(data, "");
    EXPECT_EQ(What(KeepBackup(data, At(1, 9, 0, 0))), Did::NothingToKeep);
    EXPECT_FALSE(fs::exists(dir.File("backups")));

    WriteBytes(data, "NAME=A\n");
    BackupResult first = KeepBackup(data, At(1, 9, 5, 7));
    ASSERT_EQ(What(first), Did::Made) << first.problem;
    EXPECT_EQ(first.path, dir.File("backups/nmr-2026-03-01-090507.dat"));
    EXPECT_EQ(StatOf(first.path).st_ino, StatOf(data).st_ino);  // a link, not a copy
    // Before the save's rename the data file is the newest backup itself.
    EXPECT_EQ(What(KeepBackup(data, At(1, 9, 5, 8))), Did::SameAsNewest);

    struct Save { const char* bytes; Did outcome; };
    const Save saves[] = {
        {"NAME=A\n", Did::SameAsNewest},   // rewritten unchanged: a new file, same bytes
        {"NAME=B\n", Did::Made},           // same size, other bytes
        {"NAME=B\n", Did::SameAsNewest},
        {"NAME=Bc\n", Did::Made},
        {"NAME=A\n", Did::Made},           // the same as an older backup only
    };
    int minute = 10;
    for (const Save& save : saves) {
        ASSERT_TRUE(WriteFileAtomically(data, save.bytes));
        const BackupResult result = KeepBackup(data, At(1, 9, ++minute, 0));
        EXPECT_EQ(What(result), save.outcome) << save.bytes << result.problem;
        if (What(result) == Did::Made) {
            EXPECT_EQ(ReadBytes(result.path), save.bytes);
        }
    }
    EXPECT_EQ(Names(ListBackups(data)),
              (std::vector<std::string>{"nmr-2026-03-01-091500.dat", "nmr-2026-03-01-091400.dat",
                                        "nmr-2026-03-01-091200.dat", "nmr-2026-03-01-090507.dat"}));
    EXPECT_EQ(ReadBytes(data), "NAME=A\n");
}

TEST(Backups, SavesInOneSecondGetSuffixesAndOnlyTheNewestAreKept)
{
    TempDir dir;
    const std::string data = dir.File("nmr.dat");
    fs::create_directory(dir.File("backups"));
    const std::vector<std::string> strangers = {
        "notes.txt",           "nmr-2026-03-01-000000.dat.bak", "nmr-2026-03-01-00000.dat",
        "nmr-2026-03-01-000000-1.dat", "nmr-2026-03-01-000000-02.dat",
        "other-2026-03-01-000000.dat", "nmr-2026-03-01-0000000.dat", "nmr-2026-03-01T000000.dat"};
    for (const std::string& name : strangers)
        WriteBytes(dir.File("backups/" + name), "x");

    for (int i = 0; i < 12; ++i) {  // twelve saves in one second
        ASSERT_TRUE(WriteFileAtomically(data, "NAME=" + std::to_string(i) + "\n"));
        ASSERT_EQ(What(KeepBackup(data, At(2, 23, 59, 59))), Did::Made) << i;
    }
    for (int day = 3; day <= 17; ++day) {
        ASSERT_TRUE(WriteFileAtomically(data, "NAME=day " + std::to_string(day) + "\n"));
        ASSERT_EQ(What(KeepBackup(data, At(day, 0, 0, 1))), Did::Made) << day;
    }
    std::vector<BackupEntry> all = ListBackups(data);
    ASSERT_EQ(all.size(), 27u);
    const std::vector<std::string> names = Names(all);
    EXPECT_EQ(names[0], "nmr-2026-03-17-000001.dat");
    EXPECT_EQ(names[15], "nmr-2026-03-02-235959-12.dat");
    EXPECT_EQ(names[16], "nmr-2026-03-02-235959-11.dat");  // by number, not by text
    EXPECT_EQ(names[26], "nmr-2026-03-02-235959.dat");
    EXPECT_EQ(ReadBytes(all[17].path), "NAME=9\n");
    EXPECT_EQ(all[17].sequence, 10);

    EXPECT_EQ(PruneBackups(data), 7);
    const std::vector<BackupEntry> kept = ListBackups(data);
    ASSERT_EQ(kept.size(), 20u);
    EXPECT_EQ(Names(kept), std::vector<std::string>(names.begin(), names.begin() + 20));
    for (const std::string& name : strangers)
        EXPECT_TRUE(fs::exists(dir.File("backups/" + name))) << name;
    EXPECT_EQ(PruneBackups(data), 0);
}

TEST(Backups, ListNewestFirstWithTheirTimesAndSizesAndAreCountedApart)
{
    TempDir dir;
    const std::string data = dir.File("nmr.dat");
    for (int coins : {3, 1, 250}) {
        Collection c;
        for (int i = 0; i < coins; ++i)
            c.InsertTop(CoinRecord::FromTexts({"Coin " + std::to_string(i), "1900"}));
        ASSERT_TRUE(WriteDataFile(data, c));
        ASSERT_EQ(What(KeepBackup(data, At(4, 10, coins % 60, 0))), Did::Made);
    }
    WriteBytes(dir.File("backups/nmr-2026-03-04-100000.dat"), "not a data file at all");
    fs::create_directory(dir.File("backups/nmr-2026-03-09-100000.dat"));  // a folder: skipped

    // The list reads no backup: the sizes come from the folder, the counts later.
    const std::vector<BackupEntry> backups = ListBackups(data);
    ASSERT_EQ(backups.size(), 4u);
    EXPECT_EQ(backups[0].time.Text(), "2026-03-04 10:10:00");
    const long expected[] = {250, 3, 1, 0};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(backups[i].coins, -1) << backups[i].path;
        EXPECT_EQ(backups[i].bytes, fs::file_size(backups[i].path)) << backups[i].path;
        EXPECT_EQ(CountDataFileCoins(backups[i].path), expected[i]) << backups[i].path;
    }
    EXPECT_EQ(ListBackups(dir.File("none/nmr.dat")).size(), 0u);
}

TEST(Backups, TheCounterCountsEachInTurnAndStopsWhenDestroyed)
{
    TempDir dir;
    Collection big;
    for (int i = 0; i < 20000; ++i)
        big.InsertTop(CoinRecord::FromTexts({"Coin " + std::to_string(i), "1900", "1 Dollar"}));
    ASSERT_TRUE(WriteDataFile(dir.File("big.dat"), big));
    WriteBytes(dir.File("two.dat"), "NAME=a\r\nNAME=b\r\n");

    std::vector<std::pair<std::size_t, long>> counts;
    {
        std::mutex lock;
        std::condition_variable done;
        BackupCoinCounter counter({dir.File("two.dat"), dir.File("big.dat"), dir.File("gone.dat")},
                                  [&](std::size_t index, long coins) {
                                      const std::lock_guard guard(lock);
                                      counts.emplace_back(index, coins);
                                      done.notify_one();
                                  });
        std::unique_lock wait(lock);
        ASSERT_TRUE(done.wait_for(wait, std::chrono::minutes(1), [&] { return counts.size() == 3; }));
    }
    EXPECT_EQ(counts, (std::vector<std::pair<std::size_t, long>>{{0, 2}, {1, 20000}, {2, -1}}));
    EXPECT_FALSE(fs::exists(dir.File("gone.dat")));  // counting never creates a file

    // Destroyed at once, a counter of many large files stops in the first one.
    std::atomic<int> calls = 0;
    {
        const std::vector<std::string> many(200, dir.File("big.dat"));
        BackupCoinCounter counter(many, [&](std::size_t, long) { ++calls; });
    }
    EXPECT_LT(calls.load(), 200);
    std::stop_source stopped;
    stopped.request_stop();
    EXPECT_EQ(CountDataFileCoins(dir.File("big.dat"), stopped.get_token()), -1);
}

TEST(Backups, EverySaveKeepsABackupAndOnlyTheNewestTwentyStay)
{
    TempDir dir;
    const std::string data = dir.File("nmr.dat");
    for (int save = 0; save < kBackupsKept + 5; ++save) {
        Collection c;
        c.InsertTop(CoinRecord::FromTexts({"Save " + std::to_string(save)}));
        ASSERT_TRUE(WriteDataFileKeepingBackup(data, c, At(7, 12, save, 0))) << save;
    }
    // The first save had nothing to keep; every later one kept the file it replaced.
    const std::vector<BackupEntry> kept = ListBackups(data);
    ASSERT_EQ(kept.size(), static_cast<std::size_t>(kBackupsKept));
    EXPECT_EQ(kept.front().path, dir.File("backups/nmr-2026-03-07-122400.dat"));
    EXPECT_EQ(kept.back().path, dir.File("backups/nmr-2026-03-07-120500.dat"));
    EXPECT_EQ(ReadDataFile(kept.front().path), std::vector<CoinRecord>{CoinRecord::FromTexts({"Save 23"})});
}

TEST(Backups, AFailedBackupChangesNothingAndDoesNotStopTheSave)
{
    TempDir dir;
    const std::string data = dir.File("nmr.dat");
    WriteBytes(data, "NAME=kept\n");
    WriteBytes(dir.File("backups"), "a file in the way");
    const BackupResult result = KeepBackup(data, At(5, 8, 0, 0));
    EXPECT_EQ(What(result), Did::Failed);
    EXPECT_FALSE(result.problem.empty());
    EXPECT_EQ(ReadBytes(data), "NAME=kept\n");
    EXPECT_EQ(ReadBytes(dir.File("backups")), "a file in the way");
    EXPECT_EQ(PruneBackups(data, 0), 0);
    EXPECT_TRUE(ListBackups(data).empty());
    EXPECT_TRUE(WriteFileAtomically(data, "NAME=new\n"));

    fs::create_directory(dir.File("nmr2.dat"));
    EXPECT_EQ(What(KeepBackup(dir.File("nmr2.dat"), At(5, 8, 0, 0))), Did::Failed);
}

TEST(Backups, FollowALinkedDataFileAndCopyWhereNoLinkCanBeMade)
{
    TempDir dir;
    WriteBytes(dir.File("real.dat"), "NAME=linked\n");
    fs::create_symlink("real.dat", dir.File("nmr.dat"));
    const BackupResult linked = KeepBackup(dir.File("nmr.dat"), At(6, 1, 2, 3));
    ASSERT_EQ(What(linked), Did::Made) << linked.problem;
    EXPECT_EQ(StatOf(linked.path).st_ino, StatOf(dir.File("real.dat")).st_ino);

    // A backups folder on another file system: a link is impossible, a copy is made.
    const fs::path shm = "/dev/shm";
    if (!fs::is_directory(shm) || StatOf(shm.string()).st_dev == StatOf(dir.path.string()).st_dev)
        GTEST_SKIP() << "no second file system to put the backups on";
    std::string pattern = (shm / "numora-test-XXXXXX").string();
    ASSERT_TRUE(mkdtemp(pattern.data()));
    const fs::path elsewhere = pattern;
    TempDir here;
    WriteBytes(here.File("nmr.dat"), "NAME=copied\n");
    fs::create_directory_symlink(elsewhere, here.File("backups"));
    const BackupResult copied = KeepBackup(here.File("nmr.dat"), At(6, 1, 2, 4));
    EXPECT_EQ(What(copied), Did::Made) << copied.problem;
    EXPECT_EQ(ReadBytes(elsewhere / "nmr-2026-03-06-010204.dat"), "NAME=copied\n");
    EXPECT_EQ(CountEntries(elsewhere), 1);  // no temporary copy left behind
    EXPECT_EQ(What(KeepBackup(here.File("nmr.dat"), At(6, 1, 2, 5))), Did::SameAsNewest);
    fs::remove_all(elsewhere);
}
