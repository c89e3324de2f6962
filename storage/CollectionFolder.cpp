#include "storage/CollectionFolder.h"

#include <fcntl.h>
#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "resources/FixedStrings.h"
#include "storage/DataFile.h"
#include "storage/FileReader.h"

namespace fs = std::filesystem;

namespace {

// The toolkit's options that take the next argument as their value. The toolkit reads them
// with one dash or two, and also as -option=value, which is one argument.
constexpr std::array kToolkitOptionsWithValue = {
    "platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry", "geometry",
    "qwindowtitle", "title", "qwindowicon", "icon", "display", "name", "session", "style",
    "stylesheet"};
constexpr std::array kToolkitFlags = {"reverse", "nograb", "dograb", "sync", "widgetcount",
                                      "testability", "qmljsdebugger"};

template <std::size_t N>
bool Contains(const std::array<const char*, N>& names, std::string_view name)
{
    return std::find(names.begin(), names.end(), name) != names.end();
}

// The option's name without its dashes and without an attached "=value".
std::string_view OptionName(std::string_view arg)
{
    arg.remove_prefix(arg.starts_with("--") ? 2 : 1);
    return arg.substr(0, arg.find('='));
}

std::string ExpandHome(std::string_view value, const std::string& home)
{
    if (value == "$HOME" || value.starts_with("$HOME/"))
        return home + std::string(value.substr(5));
    if (value.starts_with('/'))
        return std::string(value);
    return {};  // a relative path is not allowed there and is passed over
}

// The value of XDG_DOCUMENTS_DIR in a user-dirs.dirs line, which is a shell assignment, or
// empty when the line sets something else.
std::string DocumentsValue(std::string_view line, const std::string& home)
{
    constexpr std::string_view key = "XDG_DOCUMENTS_DIR=";
    line.remove_prefix(std::min(line.find_first_not_of(" \t"), line.size()));
    if (!line.starts_with(key))
        return {};
    line.remove_prefix(key.size());
    std::string value;
    if (line.starts_with('"')) {
        for (std::size_t i = 1; i < line.size() && line[i] != '"'; ++i) {
            if (line[i] == '\\' && i + 1 < line.size())
                ++i;
            value += line[i];
        }
    } else {
        value = line.substr(0, line.find_last_not_of(" \t\r") + 1);
    }
    return ExpandHome(value, home);
}

// Creates `target` only when no entry of that name exists (O_EXCL also refuses a dangling
// link), so that a file the user made in the meantime is never written over.
std::string CopyIfMissing(const fs::path& source, const fs::path& target)
{
    const int fd = open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return errno == EEXIST ? std::string() : strings::Fill(strings::kPathProblem, {target.string(), std::strerror(errno)});
    CopyResult copied = CopyFileTo(source.string(), fd);
    if (close(fd) != 0 && copied)
        copied.Fail(std::strerror(errno));
    if (copied)
        return {};
    unlink(target.c_str());
    if (copied.inReading)
        return strings::Fill(strings::kCannotRead, {source.string(), copied.problem});
    return strings::Fill(strings::kCannotWrite, {target.string(), copied.problem});
}

CommandLine Wrong(std::string error)
{
    return {CommandLine::Action::Wrong, {}, false, std::move(error)};
}

StartOutcome Stop(int exitCode, std::string message)
{
    return {false, exitCode, {}, strings::Fill(strings::kMessageLine, {message}), {}};
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args)
{
    CommandLine line;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool option = !optionsEnded && arg.size() > 1 && arg[0] == '-';
        if (!option) {
            if (arg.empty())
                return Wrong(std::string(strings::kEmptyPathArgument));
            if (!line.path.empty())
                return Wrong(strings::Fill(strings::kTwoPathArguments, {line.path, arg}));
            line.path = arg;
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "-h" || arg == "--help") {
            return {CommandLine::Action::Help, {}, false, {}};
        } else if (arg == "--version") {
            return {CommandLine::Action::Version, {}, false, {}};
        } else if (arg == "--default-collection") {
            line.defaultCollection = true;
        } else if (Contains(kToolkitOptionsWithValue, OptionName(arg))) {
            if (arg.find('=') == std::string::npos)
                ++i;  // the value, whatever it looks like
        } else if (!Contains(kToolkitFlags, OptionName(arg))) {
            return Wrong(strings::Fill(strings::kUnknownOption, {arg}));
        }
    }
    return line;
}

std::string UsageText()
{
    return std::string(strings::kUsage);
}

UserFolders CurrentUserFolders()
{
    UserFolders user;
    if (const char* home = std::getenv("HOME"); home && *home) {
        user.home = home;
    } else {
        std::array<char, 4096> buffer{};
        passwd entry{};
        passwd* found = nullptr;
        if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
            found->pw_dir)
            user.home = found->pw_dir;
    }
    if (const char* config = std::getenv("XDG_CONFIG_HOME"))
        user.configHome = config;
    return user;
}

std::string DocumentsFolder(const UserFolders& user)
{
    if (user.home.empty())
        return {};
    // A relative configuration folder is not allowed and is passed over, as the other
    // programs of the desktop do.
    const fs::path config = fs::path(user.configHome).is_absolute()
                                ? fs::path(user.configHome)
                                : fs::path(user.home) / ".config";
    std::string documents;
    const FileReadResult file = ReadWholeFile((config / "user-dirs.dirs").string(), IfMissing::Leave);
    for (std::string_view rest = file.bytes; !rest.empty();) {
        const std::size_t lineBreak = std::min(rest.find('\n'), rest.size());
        const std::string text(rest.substr(0, lineBreak));
        rest.remove_prefix(std::min(lineBreak + 1, rest.size()));
        if (std::string value = DocumentsValue(text, user.home); !value.empty())
            documents = std::move(value);  // the last assignment counts, as in the shell
    }
    return documents.empty() ? (fs::path(user.home) / "Documents").string() : documents;
}

std::string DefaultCollectionFolder(const UserFolders& user)
{
    const std::string documents = DocumentsFolder(user);
    return documents.empty() ? std::string() : (fs::path(documents) / "Numora").string();
}

namespace {

FolderResult FolderFound(std::string folder)
{
    FolderResult found;
    found.folder = std::move(folder);
    return found;
}

}  // namespace

FolderResult CollectionFolderOf(const std::string& path)
{
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (status.type() == fs::file_type::not_found)
        return FailedWith<FolderResult>(strings::Fill(strings::kNoSuchPath, {path}));
    if (ec)
        return FailedWith<FolderResult>(strings::Fill(strings::kPathProblem, {path, ec.message()}));
    if (fs::is_directory(status))
        return FolderFound(path);
    const fs::path file(path);
    if (file.filename() != kDataFileName)
        return FailedWith<FolderResult>(strings::Fill(strings::kNotACollection, {path, kDataFileName}));
    return FolderFound(file.has_parent_path() ? file.parent_path().string() : std::string("."));
}

FolderResult PrepareCollectionFolder(const std::string& folder, const std::string& templates)
{
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (!fs::is_directory(folder))
        return FailedWith<FolderResult>(strings::Fill(strings::kCannotMakeFolder, {folder, ec ? ec.message() : std::string(strings::kFileHasThatName)}));
    if (templates.empty())
        return FolderFound(folder);

    std::vector<fs::path> samples;
    for (fs::directory_iterator it(templates, ec), end; !ec && it != end; it.increment(ec)) {
        if (it->is_regular_file())
            samples.push_back(it->path());
    }
    if (ec)
        return FailedWith<FolderResult>(strings::Fill(strings::kCannotReadTemplates, {templates, ec.message()}));
    std::sort(samples.begin(), samples.end());
    for (const fs::path& sample : samples) {
        if (std::string error = CopyIfMissing(sample, fs::path(folder) / sample.filename());
            !error.empty())
            return FailedWith<FolderResult>(error);
    }
    return FolderFound(folder);
}

std::string FindTemplatesFolder(const std::string& executable, std::string_view installed,
                                const std::string& fallback)
{
    std::error_code ec;
    const fs::path beside = (fs::path(executable).parent_path() / installed).lexically_normal();
    if (!executable.empty() && fs::is_directory(beside, ec))
        return beside.string();
    if (!fallback.empty() && fs::is_directory(fallback, ec))
        return fallback;
    return {};
}

StartOutcome EnterCollectionFolder(const std::vector<std::string>& args,
                                   const StartContext& context)
{
    const CommandLine line = ParseCommandLine(args);
    switch (line.action) {
    case CommandLine::Action::Help:
        return {false, 0, UsageText(), {}, {}};
    case CommandLine::Action::Version:
        return {false, 0, strings::Fill(strings::kVersionLine, {context.version}), {}, {}};
    case CommandLine::Action::Wrong:
        return Stop(2, strings::Fill(strings::kTryHelp, {line.error}));
    case CommandLine::Action::Run:
        break;
    }

    FolderResult target;
    std::string note;
    if (!line.path.empty()) {
        target = CollectionFolderOf(line.path);
    } else if (line.defaultCollection) {
        const std::string folder = DefaultCollectionFolder(context.user);
        target = folder.empty() ? FailedWith<FolderResult>(std::string(strings::kNoHomeFolder))
                                : PrepareCollectionFolder(folder, context.templates);
        if (context.templates.empty())
            note = strings::kNoSampleTemplates;
    } else {
        return {};  // the current folder, as it is
    }
    std::error_code ec;
    if (target)
        fs::current_path(target.folder, ec);
    if (!target || ec) {
        const std::string error =
            !target ? target.problem : strings::Fill(strings::kCannotEnterFolder, {target.folder, ec.message()});
        StartOutcome stop = Stop(1, error);
        if (line.defaultCollection)
            stop.windowText = strings::Fill(strings::kCannotOpenCollection, {error});
        return stop;
    }
    return {true, 0, {}, note, {}};
}
