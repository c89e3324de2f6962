#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "storage/Outcome.h"

// Which folder Numora works in. Every file of a collection lies in one folder, which the
// program makes its current folder before anything else; this decides that folder from the
// command line, without a toolkit, so that --help and --version need no display and a
// folder that cannot be used ends the program before any file is written.

// What the command line asks for. The toolkit's own options (-platform NAME, -style NAME,
// -reverse and the like) are passed over here and left for the toolkit.
struct CommandLine {
    enum class Action { Run, Help, Version, Wrong };
    Action action = Action::Run;
    std::string path;                // FOLDER or FILE; empty means the current folder
    bool defaultCollection = false;  // --default-collection: with no path, the user's folder
    std::string error;               // why the command line is Wrong
};

// `args` are the arguments after the program's name.
CommandLine ParseCommandLine(const std::vector<std::string>& args);

// The --help text, ending in a line break.
std::string UsageText();

// Where the user's files go, as the environment gives it: $HOME (or the password database's
// home when unset) and $XDG_CONFIG_HOME (empty when unset).
struct UserFolders {
    std::string home;
    std::string configHome;
};
UserFolders CurrentUserFolders();

// The user's documents folder: XDG_DOCUMENTS_DIR from user-dirs.dirs in the configuration
// folder ($XDG_CONFIG_HOME, else ~/.config), else ~/Documents. Empty when there is no home.
std::string DocumentsFolder(const UserFolders& user);

// The folder of the user's own collection, "Numora" in the documents folder; empty when there
// is no home.
std::string DefaultCollectionFolder(const UserFolders& user);

// A folder to work in, or why there is none.
struct FolderResult : Outcome {
    std::string folder;
};

// The folder a FOLDER or FILE argument names: a folder itself, or the folder of a collection
// file, which must be named "nmr.dat" since that is the only file the program reads. A path
// that does not exist is an error: creating a folder from a mistyped name would start an
// empty collection where the user expects theirs.
FolderResult CollectionFolderOf(const std::string& path);

// Makes `folder` (and its parents) when missing and copies every file of `templates` into it
// that the folder has no entry of that name for; a file the user has, or a link, is never
// replaced. An empty `templates` copies nothing. A copy that fails is removed again.
FolderResult PrepareCollectionFolder(const std::string& folder, const std::string& templates);

// The sample templates: `installed`, a path relative to the program's own folder, when that
// folder exists (an installed program finds them wherever its prefix was moved), else
// `fallback` (the source tree, for a program run from its build folder) when it exists, else
// empty.
std::string FindTemplatesFolder(const std::string& executable, std::string_view installed,
                                const std::string& fallback);

// What the program does before its window starts: output for stdout and a message for stderr,
// either of which may be empty, and whether to go on with the window or end with `exitCode`.
struct StartOutcome {
    bool run = true;
    int exitCode = 0;
    std::string output;
    std::string message;
    // The failure again, for a window, when the program was started from its desktop entry
    // (--default-collection), which shows no terminal; empty otherwise.
    std::string windowText;
};

// Everything the start-up needs from outside the command line.
struct StartContext {
    UserFolders user;
    std::string templates;  // the sample templates for a new default collection; may be empty
    std::string version;
};

// Acts on the command line: answers --help and --version, or decides the collection folder,
// prepares it when it is the default collection, and makes it the current folder. On any
// failure the current folder is unchanged and `message` says what went wrong.
StartOutcome EnterCollectionFolder(const std::vector<std::string>& args,
                                   const StartContext& context);
