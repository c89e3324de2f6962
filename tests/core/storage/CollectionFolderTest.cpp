#include <gtest/gtest.h>

#include <sys/stat.h>

#include <sys/resource.h>

#include <csignal>

#include "core/ReadFault.h"
#include "core/TestSupport.h"
#include "storage/CollectionFolder.h"

namespace {

using Action = CommandLine::Action;

// Puts the process's current folder back when a test ends.
struct CurrentFolderGuard {
    fs::path old = fs::current_path();
    ~CurrentFolderGuard() { fs::current_path(old); }
};

// A folder of two sample templates.
void MakeTemplates(const fs::path& dir)
{
    fs::create_directories(dir);
    WriteBytes(dir / "ListInside.htm", "<tr><td>#NAME#</td></tr>\r\n");
    WriteBytes(dir / "ListOutside.htm", "<table>#DATA#</table>\r\n");
}

}  // namespace

TEST(CommandLine, ReadsTheFolderTheOptionsAndPassesTheToolkitsOptionsOver)
{
    struct Case {
        std::vector<std::string> args;
        Action action;
        std::string path;
        bool defaultCollection;
    };
    const Case cases[] = {
        {{}, Action::Run, "", false},
        {{"coins"}, Action::Run, "coins", false},
        {{"coins/nmr.dat"}, Action::Run, "coins/nmr.dat", false},
        {{"--default-collection"}, Action::Run, "", true},
        {{"--default-collection", "/mnt/coins/nmr.dat"}, Action::Run, "/mnt/coins/nmr.dat", true},
        {{"-platform", "offscreen", "coins"}, Action::Run, "coins", false},
        {{"--platform", "offscreen"}, Action::Run, "", false},
        {{"-style=fusion", "-reverse", "coins", "-stylesheet", "a.qss"}, Action::Run, "coins", false},
        {{"--", "-coins"}, Action::Run, "-coins", false},
        {{"-"}, Action::Run, "-", false},
        {{"--help"}, Action::Help, "", false},
        {{"coins", "-h"}, Action::Help, "", false},
        {{"--version", "--help"}, Action::Version, "", false},
        {{"--colour"}, Action::Wrong, "", false},
        {{"--help=yes"}, Action::Wrong, "", false},
        {{"one", "two"}, Action::Wrong, "", false},
        {{""}, Action::Wrong, "", false},
    };
    for (const Case& c : cases) {
        std::string shown;
        for (const std::string& arg : c.args)
            shown += "[" + arg + "] ";
        const CommandLine line = ParseCommandLine(c.args);
        EXPECT_EQ(line.action, c.action) << shown;
        EXPECT_EQ(line.path, c.path) << shown;
        EXPECT_EQ(line.defaultCollection, c.defaultCollection) << shown;
        EXPECT_EQ(line.error.empty(), c.action != Action::Wrong) << shown << line.error;
    }
    EXPECT_NE(ParseCommandLine({"--colour"}).error.find("--colour"), std::string::npos);
}

TEST(DocumentsFolder, FollowsTheUserDirsFileAndFallsBackToDocumentsInHome)
{
    TempDir dir;
    const std::string home = dir.File("home");
    const fs::path config = dir.path / "home/.config";
    fs::create_directories(config);
    struct Case {
        const char* what;
        const char* userDirs;  // nullptr: no file
        std::string expected;
    };
    const Case cases[] = {
        {"no user-dirs file", nullptr, home + "/Documents"},
        {"a folder in home", "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n", home + "/Dokumente"},
        {"an absolute folder", "# written by hand\nXDG_DOCUMENTS_DIR=\"/srv/docs\"\n", "/srv/docs"},
        {"home itself", "XDG_DOCUMENTS_DIR=\"$HOME\"\n", home},
        {"other keys and comments only",
         "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n# XDG_DOCUMENTS_DIR=\"/nowhere\"\n",
         home + "/Documents"},
        {"a relative path is not allowed", "XDG_DOCUMENTS_DIR=\"docs\"\n", home + "/Documents"},
        {"the last assignment counts",
         "XDG_DOCUMENTS_DIR=\"$HOME/a\"\n  XDG_DOCUMENTS_DIR=\"$HOME/b\"\r\n", home + "/b"},
        {"escaped quotes and spaces", "XDG_DOCUMENTS_DIR=\"$HOME/My \\\"Docs\\\"\"\n",
         home + "/My \"Docs\""},
        {"without quotes", "XDG_DOCUMENTS_DIR=$HOME/Papers \n", home + "/Papers"},
    };
    for (const Case& c : cases) {
        fs::remove(config / "user-dirs.dirs");
        if (c.userDirs)
            WriteBytes(config / "user-dirs.dirs", c.userDirs);
        EXPECT_EQ(DocumentsFolder({home, ""}), c.expected) << c.what;
    }

    // $XDG_CONFIG_HOME replaces ~/.config, unless it is relative.
    fs::create_directories(dir.path / "xdg");
    WriteBytes(dir.path / "xdg/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"$HOME/Elsewhere\"\n");
    EXPECT_EQ(DocumentsFolder({home, dir.File("xdg")}), home + "/Elsewhere");
    EXPECT_EQ(DocumentsFolder({home, "xdg"}), home + "/Papers");
    EXPECT_EQ(DefaultCollectionFolder({home, dir.File("xdg")}), home + "/Elsewhere/Numora");
    EXPECT_EQ(DefaultCollectionFolder({"", ""}), "");

    // A FIFO in its place is not read, and does not wait for a writer.
    fs::remove(config / "user-dirs.dirs");
    ASSERT_EQ(mkfifo((config / "user-dirs.dirs").c_str(), 0644), 0);
    EXPECT_EQ(DocumentsFolder({home, ""}), home + "/Documents");
}

TEST(CollectionFolderOf, TakesAFolderOrTheFolderOfACollectionFile)
{
    TempDir dir;
    fs::create_directory(dir.path / "coins");
    WriteBytes(dir.path / "coins/nmr.dat", "");
    WriteBytes(dir.path / "coins/list.htm", "");
    CurrentFolderGuard guard;
    fs::current_path(dir.path / "coins");

    const FolderResult folder = CollectionFolderOf(dir.File("coins"));
    EXPECT_TRUE(folder);
    EXPECT_EQ(folder.folder, dir.File("coins"));
    EXPECT_EQ(CollectionFolderOf(dir.File("coins/nmr.dat")).folder, dir.File("coins"));
    EXPECT_EQ(CollectionFolderOf("nmr.dat").folder, ".");

    const std::pair<std::string, std::string> wrong[] = {
        {dir.File("coins/list.htm"), "nmr.dat"},  // says which file a collection is
        {dir.File("missing"), "no such folder or file"},
        {dir.File("coins/nmr.dat/x"), "nmr.dat/x"},
    };
    for (const auto& [path, says] : wrong) {
        const FolderResult result = CollectionFolderOf(path);
        EXPECT_FALSE(result) << path;
        EXPECT_NE(result.problem.find(says), std::string::npos) << result.problem;
    }
}

TEST(PrepareCollectionFolder, MakesTheFolderAndAddsOnlyMissingTemplates)
{
    TempDir dir;
    MakeTemplates(dir.path / "samples");
    const fs::path folder = dir.path / "Documents/Numora";

    ASSERT_TRUE(PrepareCollectionFolder(folder.string(), dir.File("samples")));
    EXPECT_EQ(CountEntries(folder), 2);
    EXPECT_EQ(ReadBytes(folder / "ListInside.htm"), ReadBytes(dir.path / "samples/ListInside.htm"));
    EXPECT_EQ(ReadBytes(folder / "ListOutside.htm"), "<table>#DATA#</table>\r\n");

    // The user's own template and a link to a file that is gone stay as they are; a deleted
    // sample comes back.
    WriteBytes(folder / "ListOutside.htm", "mine");
    fs::remove(folder / "ListInside.htm");
    fs::create_symlink(dir.path / "gone.htm", folder / "ListInside.htm");
    ASSERT_TRUE(PrepareCollectionFolder(folder.string(), dir.File("samples")));
    EXPECT_EQ(ReadBytes(folder / "ListOutside.htm"), "mine");
    EXPECT_TRUE(fs::is_symlink(folder / "ListInside.htm"));
    EXPECT_FALSE(fs::exists(dir.path / "gone.htm"));
    fs::remove(folder / "ListInside.htm");
    ASSERT_TRUE(PrepareCollectionFolder(folder.string(), dir.File("samples")));
    EXPECT_EQ(ReadBytes(folder / "ListInside.htm"), "<tr><td>#NAME#</td></tr>\r\n");

    // No templates at all still makes the folder.
    EXPECT_TRUE(PrepareCollectionFolder(dir.File("bare"), ""));
    EXPECT_EQ(CountEntries(dir.path / "bare"), 0);
}

TEST(PrepareCollectionFolder, SaysWhyAFolderCannotBeMade)
{
    TempDir dir;
    WriteBytes(dir.path / "file", "x");
    for (const std::string& folder : {dir.File("file"), dir.File("file/Numora")}) {
        const FolderResult result = PrepareCollectionFolder(folder, "");
        EXPECT_FALSE(result) << folder;
        EXPECT_NE(result.problem.find(folder), std::string::npos) << result.problem;
    }
    EXPECT_EQ(ReadBytes(dir.path / "file"), "x");
    EXPECT_FALSE(PrepareCollectionFolder(dir.File("new"), dir.File("no-samples")));

    // A template that cannot be written whole is not left behind cut short, where it would
    // count as the user's own from then on.
    fs::create_directory(dir.path / "big");
    WriteBytes(dir.path / "big/Big.htm", std::string(200 * 1024, 'x'));
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    const rlimit small{1000, old.rlim_max};
    const auto handler = std::signal(SIGXFSZ, SIG_IGN);  // EFBIG instead of death
    setrlimit(RLIMIT_FSIZE, &small);
    const FolderResult result = PrepareCollectionFolder(dir.File("cut"), dir.File("big"));
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, handler);
    EXPECT_FALSE(result);
    EXPECT_NE(result.problem.find("Big.htm"), std::string::npos) << result.problem;
    EXPECT_EQ(CountEntries(dir.path / "cut"), 0);

    // Nor one whose reading stopped part way.
    FolderResult unread;
    {
        ReadFaultGuard fault(100 * 1024);
        unread = PrepareCollectionFolder(dir.File("unread"), dir.File("big"));
    }
    EXPECT_FALSE(unread);
    EXPECT_EQ(unread.problem.rfind("cannot read " + dir.File("big/Big.htm") + ": a read error stopped", 0), 0u)
        << unread.problem;
    EXPECT_EQ(CountEntries(dir.path / "unread"), 0);
}

TEST(FindTemplatesFolder, PrefersTheInstalledOnesBesideTheProgram)
{
    TempDir dir;
    const std::string program = dir.File("usr/bin/numora"), source = dir.File("src/templates");
    fs::create_directories(dir.path / "src/templates");
    EXPECT_EQ(FindTemplatesFolder(program, "../share/numora/templates", source), source);
    fs::create_directories(dir.path / "usr/share/numora/templates");
    EXPECT_EQ(FindTemplatesFolder(program, "../share/numora/templates", source),
              dir.File("usr/share/numora/templates"));
    EXPECT_EQ(FindTemplatesFolder(dir.File("opt/numora"), "templates", dir.File("none")), "");
}

TEST(EnterCollectionFolder, AnswersHelpAndVersionWithoutTouchingAnything)
{
    TempDir dir;
    const StartContext context{{dir.File("home"), ""}, dir.File("samples"), "1.05"};
    CurrentFolderGuard guard;
    fs::current_path(dir.path);
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--default-collection", "--help"}, "Usage: numora"},
        {{"--version"}, "Numora 1.05\n"},
    };
    for (const auto& [args, output] : cases) {
        const StartOutcome start = EnterCollectionFolder(args, context);
        EXPECT_FALSE(start.run);
        EXPECT_EQ(start.exitCode, 0);
        EXPECT_TRUE(start.output.starts_with(output)) << start.output;
        EXPECT_EQ(start.message, "");
    }
    EXPECT_EQ(fs::current_path(), dir.path);
    EXPECT_EQ(CountEntries(dir.path), 0);
}

TEST(EnterCollectionFolder, EntersTheChosenFolderOrEndsWithAMessage)
{
    TempDir dir;
    MakeTemplates(dir.path / "samples");
    fs::create_directories(dir.path / "coins");
    WriteBytes(dir.path / "coins/nmr.dat", "");
    WriteBytes(dir.path / "home", "a file where the home folder should be");
    const StartContext context{{dir.File("user"), ""}, dir.File("samples"), "1.05"};
    CurrentFolderGuard guard;
    fs::current_path(dir.path);

    struct Case {
        std::vector<std::string> args;
        StartContext context;
        int exitCode;  // -1: runs
        fs::path current;
        std::string message;
    };
    const Case cases[] = {
        {{}, context, -1, dir.path, ""},
        {{"coins"}, context, -1, dir.path / "coins", ""},
        {{dir.File("coins/nmr.dat"), "--default-collection"}, context, -1, dir.path / "coins", ""},
        {{"--default-collection"}, context, -1, dir.path / "user/Documents/Numora", ""},
        {{"--default-collection"}, {{dir.File("home"), ""}, "", "1"}, 1, dir.path, "home/Documents"},
        {{"--default-collection"}, {{"", ""}, "", "1"}, 1, dir.path, "home folder"},
        {{"missing"}, context, 1, dir.path, "missing: no such folder or file"},
        {{"-x"}, context, 2, dir.path, "unknown option \"-x\""},
    };
    for (const Case& c : cases) {
        fs::current_path(dir.path);
        const std::string what = c.args.empty() ? "no arguments" : c.args.front();
        const StartOutcome start = EnterCollectionFolder(c.args, c.context);
        EXPECT_EQ(start.run, c.exitCode < 0) << what;
        EXPECT_EQ(start.exitCode, std::max(c.exitCode, 0)) << what;
        EXPECT_EQ(fs::current_path(), c.current) << what;
        EXPECT_NE(start.message.find(c.message), std::string::npos) << what << start.message;
        EXPECT_EQ(start.output, "") << what;
        // Only a failed start from the desktop entry, which has no terminal, needs a window.
        const bool fromDesktop = c.exitCode == 1 && what == "--default-collection";
        EXPECT_EQ(start.windowText.empty(), !fromDesktop) << what;
        EXPECT_NE(fromDesktop ? start.windowText.find(c.message) : 0, std::string::npos) << what;
    }
    EXPECT_EQ(CountEntries(dir.path / "user/Documents/Numora"), 2);
    EXPECT_EQ(ReadBytes(dir.path / "home"), "a file where the home folder should be");
}
