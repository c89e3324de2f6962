#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <string>

#include "core/TestSupport.h"
#include "storage/AtomicFile.h"

namespace fs = std::filesystem;

namespace {

// Makes writes beyond `bytes` fail with EFBIG, instead of ending the process, while it lives.
class FileSizeLimitGuard {
public:
    explicit FileSizeLimitGuard(rlim_t bytes)
        : m_oldHandler(std::signal(SIGXFSZ, SIG_IGN))
    {
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimitGuard()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    FileSizeLimitGuard(const FileSizeLimitGuard&) = delete;
    FileSizeLimitGuard& operator=(const FileSizeLimitGuard&) = delete;

private:
    void (*m_oldHandler)(int);
    rlimit m_old{};
};

mode_t ModeOf(const std::string& path)
{
    struct stat st {};
    EXPECT_EQ(stat(path.c_str(), &st), 0);
    return st.st_mode & 07777;
}

// Runs a save that must fail, and checks that the target and its folder are as they were.
void ExpectFailureLeavesNoTrace(const char* what, const testsupport::TempDir& dir,
                                const std::string& target, const std::function<SaveResult()>& save)
{
    SCOPED_TRACE(what);
    const bool hadFile = fs::is_regular_file(target);
    const std::string oldBytes = hadFile ? testsupport::ReadBytes(target) : "";
    const int entries = testsupport::CountEntries(dir.Path());
    const SaveResult result = save();
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(result.reason.empty());
    EXPECT_EQ(testsupport::CountEntries(dir.Path()), entries);
    if (hadFile) {
        EXPECT_EQ(testsupport::ReadBytes(target), oldBytes);
    }
}

}  // namespace

TEST(AtomicFile, FailedSaveKeepsOldFileAndLeavesNoTemporary)
{
    testsupport::TempDir dir;
    const std::string big(200 * 1024, 'x');  // more than the write buffer holds
    const std::string file = dir.File("nmr.dat");
    testsupport::WriteBytes(file, "CREATOR=NMR 1.0\r\nNAME=old\r\n");
    fs::create_directory(dir.File("folder"));
    auto save = [&](const std::string& target) {
        return [&, target] { return WriteFileAtomically(target, big); };
    };

    const std::string noFolder = dir.File("none/nmr.dat");
    ExpectFailureLeavesNoTrace("folder missing", dir, noFolder, save(noFolder));
    const std::string folder = dir.File("folder");
    ExpectFailureLeavesNoTrace("target is a folder", dir, folder, save(folder));
    ExpectFailureLeavesNoTrace("write error", dir, file, [&] {
        FileSizeLimitGuard limit(1000);
        return WriteFileAtomically(file, big);
    });
    ExpectFailureLeavesNoTrace("never committed", dir, file, [&] {
        AtomicFile atomic(file);
        atomic.Write(big);
        return SaveResult::Failed("dropped");
    });
    fs::permissions(file, fs::perms(0444));
    ExpectFailureLeavesNoTrace("read-only target", dir, file, save(file));
}

TEST(AtomicFile, ReplacesContentsAndKeepsPermissions)
{
    testsupport::TempDir dir;
    const std::string target = dir.File("nmr.ini");
    testsupport::WriteBytes(target, "a much longer old text than the new one");
    fs::permissions(target, fs::perms(0640));

    ASSERT_TRUE(WriteFileAtomically(target, "new"));
    EXPECT_EQ(testsupport::ReadBytes(target), "new");
    EXPECT_EQ(ModeOf(target), 0640u);
    EXPECT_EQ(testsupport::CountEntries(dir.Path()), 1);

    const mode_t mask = umask(027);
    const SaveResult created = WriteFileAtomically(dir.File("fresh"), "");
    umask(mask);
    ASSERT_TRUE(created);
    EXPECT_EQ(ModeOf(dir.File("fresh")), 0640u);
}

TEST(AtomicFile, SavesThroughSymbolicLinkToTheFileItPointsTo)
{
    testsupport::TempDir dir;
    fs::create_directory(dir.File("real"));
    testsupport::WriteBytes(dir.File("real/nmr.dat"), "old");
    fs::create_symlink("real/nmr.dat", dir.File("link.dat"));
    fs::create_symlink("real/none.dat", dir.File("dangling.dat"));

    ASSERT_TRUE(WriteFileAtomically(dir.File("link.dat"), "new"));
    ASSERT_TRUE(WriteFileAtomically(dir.File("dangling.dat"), "created"));
    EXPECT_TRUE(fs::is_symlink(dir.File("link.dat")));
    EXPECT_EQ(testsupport::ReadBytes(dir.File("real/nmr.dat")), "new");
    EXPECT_EQ(testsupport::ReadBytes(dir.File("real/none.dat")), "created");
    EXPECT_EQ(testsupport::CountEntries(dir.File("real")), 2);
}

TEST(AtomicFile, WritesOfEverySizeArriveWholeAndInOrder)
{
    testsupport::TempDir dir;
    std::string expected;
    AtomicFile file(dir.File("big"));
    for (int i = 0; i < 3000; ++i) {
        const std::string piece(static_cast<std::size_t>(i % 97) * 13, char('a' + i % 26));
        file.Write(piece);
        expected += piece;
        if (i % 1000 == 999) {
            const std::string huge(100 * 1024, static_cast<char>(i));
            file.Write(huge);
            expected += huge;
        }
    }
    ASSERT_TRUE(file.Commit());
    EXPECT_EQ(testsupport::ReadBytes(dir.File("big")), expected);
}
