#include <gtest/gtest.h>

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
