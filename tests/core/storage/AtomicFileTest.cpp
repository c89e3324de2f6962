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

// Makes writes beyond `bytes` fail with EFBIG instead of ending the process, for the
// lifetime of the guard.
class FileSizeLimitGuard {
public:
    explicit FileSizeLimitGuard(rlim_t bytes)
    {
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
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
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};

mode_t ModeOf(const std::string& path)
{
    struct stat st {};
    EXPECT_EQ(stat(path.c_str(), &st), 0);
    return st.st_mode & 07777;
}

}  // namespace

TEST(AtomicFile, FailedSaveKeepsOldFileAndLeavesNoTemporary)
{
    const std::string oldBytes = "CREATOR=NMR 1.0\r\nNAME=old\r\n";
    const std::string newBytes(200 * 1024, 'x');  // more than the write buffer holds
    struct Case {
        const char* name;
        std::function<std::string(testsupport::TempDir&)> prepare;  // returns the target
        std::function<SaveResult(const std::string&)> save{};  // by default a plain save
    };
    const Case cases[] = {
        {"folder missing", [](auto& dir) { return dir.File("missing/nmr.dat"); }},
        {"target is a folder",
         [](auto& dir) {
             fs::create_directory(dir.File("nmr.dat"));
             return dir.File("nmr.dat");
         }},
        {"read-only target",
         [&](auto& dir) {
             testsupport::WriteBytes(dir.File("nmr.dat"), oldBytes);
             fs::permissions(dir.File("nmr.dat"), fs::perms(0444));
             return dir.File("nmr.dat");
         }},
        {"write error",
         [&](auto& dir) {
             testsupport::WriteBytes(dir.File("nmr.dat"), oldBytes);
             return dir.File("nmr.dat");
         },
         [&](const std::string& target) {
             FileSizeLimitGuard limit(1000);
             return WriteFileAtomically(target, newBytes);
         }},
        {"not committed",
         [&](auto& dir) {
             testsupport::WriteBytes(dir.File("nmr.dat"), oldBytes);
             return dir.File("nmr.dat");
         },
         [&](const std::string& target) {
             AtomicFile file(target);
             file.Write(newBytes);
             return SaveResult::Failed("dropped");
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::TempDir dir;
        const std::string target = c.prepare(dir);
        const bool hadFile = fs::is_regular_file(target);
        const int entries = testsupport::CountEntries(dir.Path());

        const SaveResult result = c.save ? c.save(target) : WriteFileAtomically(target, newBytes);
        EXPECT_FALSE(result.ok);
        EXPECT_FALSE(result.reason.empty());
        EXPECT_EQ(testsupport::CountEntries(dir.Path()), entries);
        if (hadFile) {
            EXPECT_EQ(testsupport::ReadBytes(target), oldBytes);
        }
    }
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
    EXPECT_EQ(testsupport::ReadBytes(dir.File("fresh")), "");
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

TEST(AtomicFile, LargeWritesArriveWhole)
{
    testsupport::TempDir dir;
    std::string expected;
    AtomicFile file(dir.File("big"));
    ASSERT_TRUE(file.IsOpen());
    for (int i = 0; i < 5000; ++i) {
        const std::string piece(static_cast<std::size_t>(i % 97) * 13, static_cast<char>('a' + i % 26));
        file.Write(piece);
        expected += piece;
    }
    const std::string huge(300 * 1024, '\0');
    file.Write(huge);
    expected += huge;
    ASSERT_TRUE(file.Commit());
    EXPECT_FALSE(file.Commit().ok);
    EXPECT_EQ(testsupport::ReadBytes(dir.File("big")), expected);
}
