// Files that cannot be read whole, saves the user has no right to, and what interrupted saves
// leave behind: none of them may cost a coin.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "core/ReadFault.h"
#include "core/TestSupport.h"
#include "storage/AtomicFile.h"
#include "storage/DataFile.h"
#include "storage/FileReader.h"
#include "storage/Preferences.h"

namespace {

const std::string kTwoCoins = "CREATOR=NMR 1.0\r\nNAME=Morgan Dollar\r\nYEAR=1921\r\n\r\n"
                              "NAME=Buffalo Nickel\r\nYEAR=1936\r\n\r\n";

}  // namespace

TEST(DataFileFaults, AFileNotReadWholeIsReportedWithWhatWasRead)
{
    TempDir dir;
    const std::string path = dir.File(kDataFileName);

    // A folder and a FIFO: neither is read, and the FIFO, without a writer, does not block.
    fs::create_directory(path);
    DataFileContents folder = ReadDataFileContents(path);
    EXPECT_FALSE(folder.ok);
    EXPECT_NE(folder.problem.find("folder"), std::string::npos) << folder.problem;
    EXPECT_TRUE(fs::is_directory(path));
    fs::remove(path);

    ASSERT_EQ(mkfifo(path.c_str(), 0644), 0);
    DataFileContents fifo = ReadDataFileContents(path);
    EXPECT_FALSE(fifo.ok);
    EXPECT_NE(fifo.problem.find("not an ordinary file"), std::string::npos) << fifo.problem;
    EXPECT_TRUE(fifo.records.empty());
    fs::remove(path);

    // A read error part way: the complete lines before it are read, the rest is not.
    WriteBytes(path, kTwoCoins);
    {
        ReadFaultGuard fault(kTwoCoins.find("NAME=Buffalo") + 9);
        DataFileContents partial = ReadDataFileContents(path);
        EXPECT_FALSE(partial.ok);
        EXPECT_NE(partial.problem.find("Input/output error"), std::string::npos) << partial.problem;
        EXPECT_EQ(partial.records, (std::vector<CoinRecord>{CoinRecord::FromTexts({"Morgan Dollar", "1921"})}));
    }
    EXPECT_EQ(ReadBytes(path), kTwoCoins);

    // A missing file and an empty file are read whole, as empty, without a word.
    fs::remove(path);
    for (int pass = 0; pass < 2; ++pass) {  // missing, then the empty file it left
        DataFileContents empty = ReadDataFileContents(path);
        EXPECT_TRUE(empty.ok && empty.problem.empty() && empty.records.empty()) << pass;
        EXPECT_EQ(ReadBytes(path), "");
    }
}

TEST(DataFileFaults, FilesTheUserMayNotReadAreNotReadWhole)
{
    TempDir dir;
    fs::permissions(dir.path, fs::perms::all);  // a folder the user may write
    const std::string path = dir.File(kDataFileName);
    WriteBytes(path, kTwoCoins);
    const auto unreadable = [&] {
        DataFileContents contents = ReadDataFileContents(path);
        return !contents.ok && contents.records.empty() &&
               contents.problem.find("not allowed to read") != std::string::npos;
    };

    // Another user's 0600 file.
    fs::permissions(path, fs::perms(0600));
    EXPECT_CHILD_PASSES(RunInChild(BecomeNobody, unreadable), "another user's 0600 file");

    // The user's own write-only file.
    ASSERT_EQ(chown(path.c_str(), NobodyUid(), NobodyGid()), 0);
    fs::permissions(path, fs::perms(0200));
    EXPECT_CHILD_PASSES(RunInChild(BecomeNobody, unreadable), "a write-only file");
    EXPECT_EQ(ReadBytes(path), kTwoCoins);
}

// Settings that exist but cannot be read whole give the defaults and say why, so that the
// window knows not to write over them.
TEST(PreferencesFaults, AFileNotReadWholeGivesTheDefaultsAndSaysWhy)
{
    TempDir dir;
    fs::permissions(dir.path, fs::perms::all);
    const std::string path = dir.File(kPreferencesFileName);
    const std::string mine = "CREATOR=NMR 1.0\r\nNAME=Ada Collector\r\nCITY=Leeds\r\n";
    const auto notRead = [&](const char* why) {
        const PreferencesContents contents = ReadPreferencesContents(path);
        return !contents.ok && contents.prefs == Preferences() &&
               contents.problem.find(why) != std::string::npos;
    };

    WriteBytes(path, mine);
    fs::permissions(path, fs::perms(0600));
    EXPECT_CHILD_PASSES(RunInChild(BecomeNobody, [&] { return notRead("not allowed to read"); }),
                        "another user's 0600 file");
    fs::permissions(path, fs::perms::none);
    EXPECT_CHILD_PASSES(RunInChild(BecomeNobody, [&] { return notRead("not allowed to read"); }),
                        "another user's 0000 file");
    {
        ReadFaultGuard fault(mine.find("CITY"));  // half the settings are not the settings
        EXPECT_TRUE(notRead("Input/output error"));
    }
    EXPECT_EQ(ReadBytes(path), mine);
    fs::remove(path);

    fs::create_directory(path);
    EXPECT_TRUE(notRead("it is a folder"));
    fs::remove(path);
    ASSERT_EQ(mkfifo(path.c_str(), 0644), 0);
    EXPECT_TRUE(notRead("not an ordinary file"));  // and does not wait for a writer
    fs::remove(path);

    // Missing is no fault: an empty file is made and the defaults are the settings.
    const PreferencesContents fresh = ReadPreferencesContents(path);
    EXPECT_TRUE(fresh.ok && fresh.problem.empty());
    EXPECT_TRUE(fs::is_regular_file(path));
}

TEST(DataFileFaults, MemoryFollowsTheFileNotTheCarriedValues)
{
    TempDir dir;
    const std::string path = dir.File(kDataFileName);

    // A 1 MB Description carried into 10,000 records: shared, it needs a few MB, copied 10 GB.
    std::string text = "DESCRIPTION=" + std::string(1 << 20, 'd') + "\r\n";
    for (int i = 0; i < 10000; ++i)
        text += "NAME=a\r\n";
    WriteBytes(path, text);
    EXPECT_CHILD_PASSES(RunInChild([] { return LimitMemoryTo(std::size_t{512} << 20); }, [&] {
        DataFileContents contents = ReadDataFileContents(path);
        return contents.ok && contents.records.size() == 10000 &&
               contents.records.back().Get(CoinField::Description).size() == 1 << 20;
    }), "carried Description");

    // A file larger than the memory: reported, not an abort.
    WriteBytes(path, "");
    fs::resize_file(path, std::size_t{256} << 20);
    EXPECT_CHILD_PASSES(RunInChild([] { return LimitMemoryTo(std::size_t{64} << 20); }, [&] {
        DataFileContents contents = ReadDataFileContents(path);
        return !contents.ok && contents.problem.find("memory") != std::string::npos;
    }), "file larger than the memory");
}

TEST(SaveFaults, EveryFileRefusesASaveTheUserMayNotWrite)
{
    TempDir dir;
    fs::permissions(dir.path, fs::perms::all);  // the rename alone would be allowed
    Collection collection;
    collection.InsertTop(CoinRecord::FromTexts({"Thaler"}));
    const std::pair<const char*, std::function<Outcome(const std::string&)>> savers[] = {
        {"data file", [&](const std::string& p) { return WriteDataFile(p, collection); }},
        {"preferences", [](const std::string& p) { return WritePreferencesFile(p, Preferences()); }},
        {"page", [](const std::string& p) { return WriteFileAtomically(p, "<html>"); }},
    };
    for (const auto& [what, save] : savers) {
        const std::string path = dir.File(what);
        WriteBytes(path, "root's");
        fs::permissions(path, fs::perms(0644));
        EXPECT_CHILD_PASSES(RunInChild(BecomeNobody, [&] {
            const Outcome result = save(path);
            return !result.ok && result.problem.find("may not write") != std::string::npos;
        }), what);
        EXPECT_EQ(ReadBytes(path), "root's") << what;
        struct stat st {};
        ASSERT_EQ(stat(path.c_str(), &st), 0);
        EXPECT_EQ(st.st_uid, 0u) << what;
    }
    EXPECT_EQ(CountEntries(dir.path), 3);  // no temporary file left
}

TEST(SaveFaults, LeftoversOfInterruptedSavesGoAndNothingElse)
{
    TempDir dir;
    WriteBytes(dir.File(kDataFileName), kTwoCoins);

    // A save that dies before its rename, as a killed process does: no destructor runs.
    const ChildResult killed = RunInChild([] { return true; }, [&] {
        AtomicFile* file = new AtomicFile(dir.File(kDataFileName));
        file->Write(std::string(100000, 'x'));
        _exit(file->IsOpen() ? 0 : 1);
        return false;
    });
    ASSERT_EQ(killed, ChildResult::Passed);
    ASSERT_EQ(CountEntries(dir.path), 2);

    const std::vector<std::string> kept = {".nmr.dat.abcdefg.tmp",  ".nmr.dat.ABCDEFGH.tmp",
                                           ".nmr.dat.abcdefgh.tmpx", "nmr.dat.abcdefgh.tmp",
                                           ".other.abcdefgh.tmp",   ".nmr.ini.abcdefgh.tmp.bak"};
    for (const std::string& name : kept)
        WriteBytes(dir.File(name), "user's");
    WriteBytes(dir.File(".nmr.ini.0123abcd.tmp"), "left over");
    fs::create_directory(dir.File(".nmr.dat.zzzzzzzz.tmp"));  // not a file: kept
    fs::create_symlink(kDataFileName, dir.File(".nmr.ini.yyyyyyyy.tmp"));  // a link: kept

    EXPECT_EQ(RemoveInterruptedSaves(dir.path.string(), {kDataFileName, "nmr.ini"}), 2);
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir.path))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    std::vector<std::string> expected = kept;
    expected.insert(expected.end(), {kDataFileName, ".nmr.dat.zzzzzzzz.tmp", ".nmr.ini.yyyyyyyy.tmp"});
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(names, expected);
    EXPECT_EQ(ReadBytes(dir.File(kDataFileName)), kTwoCoins);
}

TEST(SaveFaults, AWriteErrorPartWayThroughALargeSaveKeepsTheOldFile)
{
    // Many blocks, written on a thread of their own while the next is made: the file-size
    // limit (which holds for every thread of the process) stops the writing after the first.
    TempDir dir;
    const std::string path = dir.File(kDataFileName);
    WriteBytes(path, kTwoCoins);
    Collection collection;
    for (int i = 0; i < 40000; ++i)
        collection.InsertTop(CoinRecord::FromTexts({"Coin " + std::to_string(i), "1900", "1 Franc", "France",
                                                    "", "Fine", "", "", "", "", "", "", std::string(60, 'd')}));
    const Outcome result = UnderFileSizeLimit(1500000, [&] { return WriteDataFile(path, collection); });
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(result.problem.empty());
    EXPECT_EQ(ReadBytes(path), kTwoCoins);
    EXPECT_EQ(CountEntries(dir.path), 1);
    // Without the limit the same save goes through whole.
    ASSERT_TRUE(WriteDataFile(path, collection));
    EXPECT_EQ(ReadDataFile(path).size(), 40000u);
}
