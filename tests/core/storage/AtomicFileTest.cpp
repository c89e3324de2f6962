#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <functional>

#include "core/TestSupport.h"
#include "storage/AtomicFile.h"

TEST(AtomicFile, FailedSavesKeepTheOldFileAndLeaveNoTemporary)
{
    TempDir dir;
    const std::string file = dir.File("nmr.dat"), big(200 * 1024, 'x');  // past the buffer
    WriteBytes(file, "old");
    fs::create_directory(dir.File("folder"));
    const std::pair<const char*, std::function<Outcome()>> cases[] = {
        {"missing folder", [&] { return WriteFileAtomically(dir.File("none/nmr.dat"), big); }},
        {"target is a folder", [&] { return WriteFileAtomically(dir.File("folder"), big); }},
        {"write error", [&] { return UnderFileSizeLimit(1000, [&] { return WriteFileAtomically(file, big); }); }},
        {"read-only target, even for root", [&] { fs::permissions(file, fs::perms(0444));
                                                  return WriteFileAtomically(file, big); }},
    };
    AtomicFile(file).Write(big);  // never committed: its temporary file goes with it
    EXPECT_EQ(ReadBytes(file), "old");
    EXPECT_EQ(CountEntries(dir.path), 2);
    for (const auto& [what, save] : cases) {
        const Outcome result = save();
        EXPECT_FALSE(result.ok || result.problem.empty()) << what;
        EXPECT_EQ(ReadBytes(file), "old") << what;
        EXPECT_EQ(CountEntries(dir.path), 2) << what;
    }
}

TEST(AtomicFile, ReplacesThroughLinksKeepingPermissionsAndEveryByte)
{
    TempDir dir;
    const std::string real = dir.File("nmr.dat"), link = dir.File("link.dat");
    WriteBytes(real, "a much longer old text than the new one");
    fs::permissions(real, fs::perms(0640));
    fs::create_symlink("nmr.dat", link);
    ASSERT_TRUE(WriteFileAtomically(link, "new"));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadBytes(real), "new");
    EXPECT_EQ(fs::status(real).permissions(), fs::perms(0640));
    EXPECT_EQ(CountEntries(dir.path), 2);

    const mode_t mask = umask(027);  // a new file takes the umask, not a temporary's 0600
    AtomicFile fresh(dir.File("fresh"));
    umask(mask);
    std::string expected;
    for (std::size_t i = 0; i < 300; ++i) {  // pieces from none to more than the buffer
        const std::string piece(i * i % 70000, static_cast<char>('a' + i % 26));
        fresh.Write(piece);
        expected += piece;
    }
    ASSERT_TRUE(fresh.Commit());
    EXPECT_EQ(ReadBytes(dir.File("fresh")), expected);
    EXPECT_EQ(fs::status(dir.File("fresh")).permissions(), fs::perms(0640));
}

namespace {

// Whether the process has the temporary file of `base` open for writing around the cache, as
// the system reports the open file's flags.
bool WritesAroundTheCache(const std::string& base)
{
    for (const auto& entry : fs::directory_iterator("/proc/self/fd")) {
        std::error_code ec;
        const std::string target = fs::read_symlink(entry.path(), ec).filename().string();
        if (ec || !target.starts_with("." + base + ".") || !target.ends_with(".tmp"))
            continue;
        const std::string info = ReadBytes("/proc/self/fdinfo/" + entry.path().filename().string());
        const auto flags = info.find("flags:");
        return flags != std::string::npos && (std::stoul(info.substr(flags + 6), nullptr, 8) & O_DIRECT) != 0;
    }
    return false;
}

struct DirectWritesFrom {
    explicit DirectWritesFrom(std::size_t size) { SetDirectWritesFromForTesting(size); }
    ~DirectWritesFrom() { SetDirectWritesFromForTesting(0); }
};

}  // namespace

TEST(AtomicFile, LargeFilesAreWrittenAroundTheCacheWithEveryByteInPlace)
{
    TempDir dir;
    // Not a multiple of any disk block, so the file must first be brought to an aligned place.
    const DirectWritesFrom from(100001);
    const std::string path = dir.File("big.dat");
    std::string expected;
    {
        AtomicFile file(path);
        for (std::size_t i = 0; i < 120; ++i) {  // pieces from none to more than a block of 1 MB
            const std::string piece(i % 7 == 6 ? 1300000 + i : i * i * 13 % 90001, static_cast<char>('a' + i % 26));
            file.Write(piece);
            expected += piece;
            if (i == 3) {
                EXPECT_FALSE(WritesAroundTheCache("big.dat")) << "below the size: through the cache";
            }
        }
        EXPECT_TRUE(WritesAroundTheCache("big.dat"));
        ASSERT_TRUE(file.Commit());
    }
    ASSERT_GT(expected.size() % 4096, 0u);  // the last block is a partial one
    EXPECT_EQ(ReadBytes(path), expected);
    EXPECT_EQ(CountEntries(dir.path), 1);

    // A write refused part way, here by the file-size limit in the middle of a block, fails the
    // save and keeps the old file.
    const Outcome cut = UnderFileSizeLimit(3000000 + 123, [&] { return WriteFileAtomically(path, std::string(5000000, 'z')); });
    EXPECT_FALSE(cut.ok || cut.problem.empty());
    EXPECT_EQ(ReadBytes(path), expected);
    EXPECT_EQ(CountEntries(dir.path), 1);
}
