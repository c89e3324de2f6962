#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include "core/TestSupport.h"
#include "storage/DataFile.h"
#include "storage/FileStamp.h"

namespace {

Collection CollectionOf(std::initializer_list<const char*> names)
{
    Collection collection;
    for (const char* name : names)
        collection.InsertTop(CoinRecord::FromTexts({name, "1900"}));
    return collection;
}

std::vector<std::string> Names(const std::vector<CoinRecord>& records)
{
    std::vector<std::string> names;
    for (const CoinRecord& r : records)
        names.push_back(std::string(r.Get(CoinField::Name)));
    return names;
}

// Everything in the folder and its backups folder whose name marks a save under way.
std::vector<std::string> Leftovers(const TempDir& dir)
{
    std::vector<std::string> found;
    for (const auto& entry : fs::recursive_directory_iterator(dir.path))
        if (entry.path().extension() == ".tmp")
            found.push_back(entry.path().string());
    return found;
}

std::vector<std::string> BackupContents(const std::string& data)
{
    std::vector<std::string> contents;
    for (const BackupEntry& b : ListBackups(data))
        contents.push_back(ReadBytes(b.path));
    return contents;
}

timespec ModifiedOf(const std::string& path)
{
    struct stat st {};
    stat(path.c_str(), &st);
    return st.st_mtim;
}

// Another program writes the file in place: same inode, and with `sameTick` the modification
// time put back, as a write within one tick of a coarse file system clock leaves it.
void RewriteInPlace(const std::string& path, const std::string& bytes, bool sameTick)
{
    const timespec before = ModifiedOf(path);
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    if (sameTick) {
        const timespec times[2] = {before, before};
        utimensat(AT_FDCWD, path.c_str(), times, 0);
    }
}

// Another process writes a file beside it and renames it over, as editors and sync tools do.
void ReplaceFromAnotherProcess(const std::string& path, const std::string& bytes)
{
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        const std::string next = path + ".other";
        std::ofstream(next, std::ios::binary) << bytes;
        _exit(rename(next.c_str(), path.c_str()) == 0 ? 0 : 1);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

void MakeOld(const std::string& path)
{
    const timespec old[2] = {{1000000000, 0}, {1000000000, 0}};
    utimensat(AT_FDCWD, path.c_str(), old, 0);
}

const BackupTime kFirst{2026, 3, 1, 10, 0, 0};
const BackupTime kSecond{2026, 3, 1, 10, 0, 5};

}  // namespace

TEST(ContentHash, DependsOnTheBytesAloneNotOnHowTheyAreCut)
{
    std::string bytes;
    for (int i = 0; i < 1000; ++i)
        bytes += static_cast<char>(i * 7 + i / 13);
    ContentHash whole;
    whole.Add(bytes);
    for (std::size_t piece : {1u, 3u, 31u, 32u, 33u, 100u}) {
        ContentHash cut;
        for (std::size_t at = 0; at < bytes.size(); at += piece)
            cut.Add(std::string_view(bytes).substr(at, piece));
        EXPECT_EQ(cut.Value(), whole.Value()) << "pieces of " << piece;
    }
    // One byte changed anywhere, a byte more, or the same bytes shorter: another value.
    for (std::size_t at : {0u, 5u, 31u, 32u, 500u, 999u}) {
        std::string other = bytes;
        other[at] ^= 1;
        ContentHash changed;
        changed.Add(other);
        EXPECT_NE(changed.Value(), whole.Value()) << "byte " << at;
    }
    ContentHash longer, shorter;
    longer.Add(bytes + '\0');
    shorter.Add(std::string_view(bytes).substr(0, 999));
    EXPECT_NE(longer.Value(), whole.Value());
    EXPECT_NE(shorter.Value(), whole.Value());
}

TEST(FileStamp, OurOwnLoadsAndSavesAreNeverTakenForAnotherWriter)
{
    TempDir dir;
    const std::string data = dir.File(kDataFileName);
    FileStamp stamp;
    ReadDataFileStamped(data, stamp);  // missing: created empty
    ASSERT_TRUE(stamp.exists);
    Collection mine = CollectionOf({"A", "B"});
    for (const Collection& version : {mine, CollectionOf({"A"}), CollectionOf({"C", "D"})}) {
        const CheckedSave save = SaveDataFileChecked(data, version, kFirst, stamp, IfChanged::Stop);
        EXPECT_TRUE(save.ok && save.done == CheckedSave::Done::Saved) << save.problem;
        EXPECT_EQ(save.change, FileChange::Unchanged);
    }
    EXPECT_EQ(CompareWithStamp(data, stamp), FileChange::Unchanged);
    // Just written, the time cannot be trusted, so the stamp knows the bytes; long after, it
    // need not: only the look at the file is made, and the check reads nothing.
    EXPECT_TRUE(stamp.hashed);
    // Loaded again at once, the stamp's hash is of the bytes as they were read: the same as a
    // second reading of the file gives.
    ReadDataFileStamped(data, stamp);
    std::uint64_t hash = 0;
    ASSERT_TRUE(HashFile(data, hash));
    EXPECT_TRUE(stamp.hashed);
    EXPECT_EQ(stamp.hash, hash);
    EXPECT_EQ(CompareWithStamp(data, stamp), FileChange::Unchanged);
    MakeOld(data);
    ReadDataFileStamped(data, stamp);
    EXPECT_FALSE(stamp.hashed);
    EXPECT_EQ(CompareWithStamp(data, stamp), FileChange::Unchanged);
}

TEST(FileStamp, NoticesEverySecondWriterEvenWithinOneClockTick)
{
    struct Case {
        const char* what;
        std::function<void(const std::string&)> write;
    };
    const std::string theirs = "CREATOR=NMR 1.0\r\nNAME=Z\r\n";
    // The same bytes but one, as a tool that renames a coin in place writes them.
    const auto sameSize = [](const std::string& p) {
        std::string bytes = ReadBytes(p);
        bytes[bytes.find("NAME=P") + 5] = 'Q';
        return bytes;
    };
    const Case cases[] = {
        {"rewritten in place, other size", [&](const std::string& p) { RewriteInPlace(p, theirs + "YEAR=1\r\n", false); }},
        {"rewritten in place, same size, same tick", [&](const std::string& p) { RewriteInPlace(p, sameSize(p), true); }},
        {"replaced by another process", [&](const std::string& p) { ReplaceFromAnotherProcess(p, theirs); }},
    };
    for (const bool afterOurSave : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.what) + (afterOurSave ? ", after our save" : ", after the load"));
            TempDir dir;
            const std::string data = dir.File(kDataFileName);
            WriteBytes(data, "CREATOR=NMR 1.0\r\nNAME=P\r\n");
            FileStamp stamp;
            ReadDataFileStamped(data, stamp);
            if (afterOurSave) {
                const CheckedSave ours = SaveDataFileChecked(data, CollectionOf({"P"}), kFirst, stamp, IfChanged::Stop);
                ASSERT_TRUE(ours.ok && ours.done == CheckedSave::Done::Saved) << ours.problem;
            }
            c.write(data);
            const std::string written = ReadBytes(data);
            const CheckedSave save = SaveDataFileChecked(data, CollectionOf({"Mine"}), kSecond, stamp, IfChanged::Stop);
            EXPECT_EQ(save.change, FileChange::Changed);
            EXPECT_TRUE(save.ok && save.done == CheckedSave::Done::NotSaved) << save.problem;
            EXPECT_EQ(ReadBytes(data), written);
        }
    }
}

TEST(FileStamp, KeepMineKeepsTheirsAsABackupAndKeepBothLeavesTheirsInPlace)
{
    TempDir dir;
    const std::string data = dir.File(kDataFileName);
    const Collection mine = CollectionOf({"Mine 1", "Mine 2"});
    ASSERT_TRUE(WriteDataFile(data, CollectionOf({"Loaded"})));
    FileStamp loaded;
    ReadDataFileStamped(data, loaded);
    const std::string theirs = "CREATOR=NMR 1.0\r\nNAME=Theirs\r\n";
    ReplaceFromAnotherProcess(data, theirs);

    // Keep both (a quit with no one to ask): ours goes into the backups, theirs stays.
    FileStamp stamp = loaded;
    const CheckedSave both = SaveDataFileChecked(data, mine, kFirst, stamp, IfChanged::KeepBoth);
    EXPECT_TRUE(both.ok && both.done == CheckedSave::Done::KeptAsBackup) << both.problem;
    EXPECT_EQ(ReadBytes(data), theirs);
    EXPECT_EQ(Names(ReadDataFile(both.backupPath)), Names(mine.BottomUp()));
    EXPECT_EQ(Leftovers(dir), std::vector<std::string>{});

    // Keep mine: theirs is the newest backup, then ours is written and stamped.
    const CheckedSave overwrite = SaveDataFileChecked(data, mine, kSecond, stamp, IfChanged::Overwrite);
    EXPECT_TRUE(overwrite.ok && overwrite.done == CheckedSave::Done::Saved) << overwrite.problem;
    EXPECT_EQ(Names(ReadDataFile(data)), Names(mine.BottomUp()));
    const std::vector<std::string> backups = BackupContents(data);
    ASSERT_EQ(backups.size(), 2u);
    EXPECT_EQ(backups[0], theirs);
    EXPECT_EQ(Leftovers(dir), std::vector<std::string>{});
    EXPECT_EQ(CompareWithStamp(data, stamp), FileChange::Unchanged);
}

TEST(FileStamp, TheirFileIsNeverReplacedWhenItCannotBeKept)
{
    TempDir dir;
    const std::string data = dir.File(kDataFileName);
    ASSERT_TRUE(WriteDataFile(data, CollectionOf({"Loaded"})));
    FileStamp stamp;
    ReadDataFileStamped(data, stamp);
    const std::string theirs = "CREATOR=NMR 1.0\r\nNAME=Theirs\r\n";
    ReplaceFromAnotherProcess(data, theirs);
    WriteBytes(dir.File(kBackupFolderName), "a file where the backups folder belongs");

    for (IfChanged how : {IfChanged::Overwrite, IfChanged::KeepBoth}) {
        const CheckedSave save = SaveDataFileChecked(data, CollectionOf({"Mine"}), kFirst, stamp, how);
        EXPECT_FALSE(save.ok);
        EXPECT_FALSE(save.problem.empty());
        EXPECT_EQ(ReadBytes(data), theirs);
    }
    EXPECT_EQ(Leftovers(dir), std::vector<std::string>{});
}

TEST(FileStamp, AFileDeletedBehindUsIsSimplyWrittenAndOneCreatedBehindUsIsAChange)
{
    TempDir dir;
    const std::string data = dir.File(kDataFileName);
    ASSERT_TRUE(WriteDataFile(data, CollectionOf({"Loaded"})));
    FileStamp stamp;
    ReadDataFileStamped(data, stamp);
    fs::remove(data);
    const CheckedSave save = SaveDataFileChecked(data, CollectionOf({"Mine"}), kFirst, stamp, IfChanged::Stop);
    EXPECT_EQ(save.change, FileChange::Vanished);
    EXPECT_TRUE(save.ok && save.done == CheckedSave::Done::Saved) << save.problem;
    EXPECT_EQ(Names(ReadDataFile(data)), std::vector<std::string>{"Mine"});

    FileStamp none;  // stamped while there was no file, and none could be made
    EXPECT_EQ(CompareWithStamp(data, none), FileChange::Changed);
    fs::remove(data);
    EXPECT_EQ(CompareWithStamp(data, none), FileChange::Unchanged);
}
