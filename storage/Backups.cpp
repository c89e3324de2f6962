#include "storage/Backups.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>

#include "resources/FixedStrings.h"
#include "storage/FileReader.h"

namespace {

// Backups made in one second before the names run out; far more than any save rate.
constexpr int kMaxSequence = 9999;

std::string SystemError(int error) { return std::strerror(error); }

struct NameParts {
    std::string folder;  // the data file's folder
    std::string stem;    // "nmr"
    std::string ext;     // ".dat"
};

NameParts SplitDataFilePath(const std::string& path)
{
    NameParts parts;
    const auto slash = path.rfind('/');
    parts.folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    const auto dot = base.rfind('.');
    parts.stem = dot == std::string::npos || dot == 0 ? base : base.substr(0, dot);
    parts.ext = base.substr(parts.stem.size());
    return parts;
}

std::string BackupFolder(const NameParts& parts)
{
    return (parts.folder == "/" ? "" : parts.folder) + "/" + kBackupFolderName;
}

std::string BackupName(const NameParts& parts, const BackupTime& t, int sequence)
{
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "-%04d-%02d-%02d-%02d%02d%02d", t.year, t.month, t.day,
                  t.hour, t.minute, t.second);
    std::string name = parts.stem + stamp;
    if (sequence > 1)
        name.append(1, '-').append(std::to_string(sequence));
    return name.append(parts.ext);
}

// Reads `count` decimal digits at `pos`; false when any is not a digit.
bool Digits(std::string_view text, std::size_t pos, std::size_t count, int& value)
{
    if (pos + count > text.size())
        return false;
    value = 0;
    for (std::size_t i = pos; i < pos + count; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        value = value * 10 + (text[i] - '0');
    }
    return true;
}

// The time and sequence of a backup's file name; false for any other name.
bool ParseBackupName(const NameParts& parts, std::string_view name, BackupTime& t, int& sequence)
{
    if (!name.starts_with(parts.stem + "-") || !name.ends_with(parts.ext))
        return false;
    name.remove_prefix(parts.stem.size() + 1);
    name.remove_suffix(parts.ext.size());
    // "YYYY-MM-DD-HHMMSS", then "-N" for N >= 2 without leading zeros
    constexpr std::size_t kStampSize = 17;
    if (name.size() < kStampSize || name[4] != '-' || name[7] != '-' || name[10] != '-')
        return false;
    if (!Digits(name, 0, 4, t.year) || !Digits(name, 5, 2, t.month) || !Digits(name, 8, 2, t.day) ||
        !Digits(name, 11, 2, t.hour) || !Digits(name, 13, 2, t.minute) ||
        !Digits(name, 15, 2, t.second))
        return false;
    sequence = 1;
    if (name.size() == kStampSize)
        return true;
    const std::size_t digits = name.size() - kStampSize - 1;
    return name[kStampSize] == '-' && digits >= 1 && digits <= 4 &&
           name[kStampSize + 1] != '0' && Digits(name, kStampSize + 1, digits, sequence) &&
           sequence >= 2;
}

// The backups in the folder, newest first, not counted.
std::vector<BackupEntry> FindBackups(const NameParts& parts)
{
    std::vector<BackupEntry> found;
    const std::string folder = BackupFolder(parts);
    std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.c_str()), closedir);
    if (!dir)
        return found;
    while (const dirent* entry = readdir(dir.get())) {
        BackupEntry backup;
        if (ParseBackupName(parts, entry->d_name, backup.time, backup.sequence)) {
            backup.path = folder + "/" + entry->d_name;
            found.push_back(std::move(backup));
        }
    }
    std::sort(found.begin(), found.end(), [](const BackupEntry& a, const BackupEntry& b) {
        return a.time != b.time ? a.time > b.time : a.sequence > b.sequence;
    });
    return found;
}

// True when the two files hold the same bytes: the same file, or the same size and contents.
// A file that cannot be read counts as different, so that a backup is made rather than missed.
bool SameContents(const std::string& a, const struct stat& aStat, const std::string& b)
{
    struct stat bStat {};
    if (stat(b.c_str(), &bStat) != 0)
        return false;
    if (aStat.st_dev == bStat.st_dev && aStat.st_ino == bStat.st_ino)
        return true;
    if (aStat.st_size != bStat.st_size)
        return false;
    FileReadStream fa(a, IfMissing::Leave), fb(b, IfMissing::Leave);
    constexpr std::size_t kChunk = 256 * 1024;
    const auto bufA = std::make_unique<char[]>(kChunk), bufB = std::make_unique<char[]>(kChunk);
    for (;;) {
        const std::size_t na = fa.Read(bufA.get(), kChunk);
        const std::size_t nb = fb.Read(bufB.get(), kChunk);
        if (fa.Status() != ReadStatus::Whole || fb.Status() != ReadStatus::Whole || na != nb)
            return false;
        if (na == 0)
            return true;
        if (std::memcmp(bufA.get(), bufB.get(), na) != 0)
            return false;
    }
}

// Copies the file to a hidden temporary name in `folder`, synced, for linking into place.
bool CopyToTemporary(const std::string& from, const std::string& folder, std::string& temporary,
                     std::string& reason)
{
    temporary = folder + "/.backup-" + std::to_string(getpid()) + ".tmp";
    unlink(temporary.c_str());  // left by a copy that was cut short
    const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        reason = strings::Fill(strings::kCannotCreate, {temporary, SystemError(errno)});
        return false;
    }
    const CopyResult copied = CopyFileTo(from, fd);
    const bool synced = copied && fsync(fd) == 0;
    const int error = errno;
    const bool closed = close(fd) == 0;
    if (!copied)
        reason = strings::Fill(strings::kCannotCopy, {from, temporary, copied.problem});
    else if (!synced || !closed)
        reason = strings::Fill(strings::kCannotSync, {temporary, SystemError(synced ? errno : error)});
    if (!reason.empty()) {
        unlink(temporary.c_str());
        return false;
    }
    return true;
}

// Links `source` under the first free backup name for `when` and sets `target` to it. Returns
// 0, or the error of the first attempt that failed for another reason than a name in use
// (EEXIST when every name was in use). Linking never replaces a file, so two saves in one
// second cannot overwrite each other's backup.
int LinkUnderFreeName(const std::string& source, const std::string& folder,
                      const NameParts& parts, const BackupTime& when, std::string& target)
{
    for (int sequence = 1; sequence <= kMaxSequence; ++sequence) {
        target = folder + "/" + BackupName(parts, when, sequence);
        // Following a link on the data file backs up the file it points to, as a save
        // replaces that file and not the link.
        if (linkat(AT_FDCWD, source.c_str(), AT_FDCWD, target.c_str(), AT_SYMLINK_FOLLOW) == 0)
            return 0;
        if (errno != EEXIST)
            return errno;
    }
    return EEXIST;
}

constexpr auto Failed = FailedWith<BackupResult>;

}  // namespace

BackupTime BackupTime::Now()
{
    const std::time_t now = std::time(nullptr);
    std::tm local {};
    localtime_r(&now, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
            local.tm_hour,        local.tm_min,     local.tm_sec};
}

std::string BackupTime::Text() const
{
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", year, month, day, hour,
                  minute, second);
    return text;
}

BackupResult KeepBackup(const std::string& dataFilePath, const BackupTime& when)
{
    struct stat data {};
    if (stat(dataFilePath.c_str(), &data) != 0) {
        if (errno == ENOENT)
            return {};
        return Failed(strings::Fill(strings::kCannotLookAt, {dataFilePath, SystemError(errno)}));
    }
    if (!S_ISREG(data.st_mode))
        return Failed(strings::Fill(strings::kNotAnOrdinaryFile, {dataFilePath}));
    if (data.st_size == 0)
        return {};  // an empty collection: restoring it would only clear the list

    const NameParts parts = SplitDataFilePath(dataFilePath);
    const std::string folder = BackupFolder(parts);
    if (mkdir(folder.c_str(), 0777) != 0 && errno != EEXIST)
        return Failed(strings::Fill(strings::kCannotCreate, {folder, SystemError(errno)}));
    struct stat folderStat {};
    if (stat(folder.c_str(), &folderStat) != 0 || !S_ISDIR(folderStat.st_mode))
        return Failed(strings::Fill(strings::kNotAFolder, {folder}));

    const std::vector<BackupEntry> backups = FindBackups(parts);
    if (!backups.empty() && SameContents(dataFilePath, data, backups.front().path)) {
        BackupResult same;
        same.kept = BackupResult::Kept::SameAsNewest;
        same.path = backups.front().path;
        return same;
    }

    std::string target;
    int error = LinkUnderFreeName(dataFilePath, folder, parts, when, target);
    if (error == EEXIST)
        return Failed(strings::Fill(strings::kNoBackupName, {when.Text(), folder}));
    if (error != 0) {
        // No link to the data file here (another file system, or one without links): a copy
        // made beside the backups can still be linked into place under its name.
        std::string temporary, reason;
        if (!CopyToTemporary(dataFilePath, folder, temporary, reason))
            return Failed(strings::Fill(strings::kCannotLinkNorCopy, {dataFilePath, folder, SystemError(error), reason}));
        error = LinkUnderFreeName(temporary, folder, parts, when, target);
        unlink(temporary.c_str());
        if (error != 0)
            return Failed(strings::Fill(strings::kCannotLink, {temporary, target, SystemError(error)}));
    }
    BackupResult made;
    made.kept = BackupResult::Kept::Made;
    made.path = target;
    return made;
}

int PruneBackups(const std::string& dataFilePath, int keep)
{
    const std::vector<BackupEntry> backups = FindBackups(SplitDataFilePath(dataFilePath));
    int removed = 0;
    for (std::size_t i = static_cast<std::size_t>(std::max(keep, 0)); i < backups.size(); ++i)
        if (unlink(backups[i].path.c_str()) == 0)
            ++removed;
    return removed;
}

std::vector<BackupEntry> ListBackups(const std::string& dataFilePath)
{
    std::vector<BackupEntry> backups = FindBackups(SplitDataFilePath(dataFilePath));
    // Only ordinary files are backups; anything else of that name is no collection to restore.
    std::erase_if(backups, [](BackupEntry& b) {
        struct stat st {};
        if (stat(b.path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
            return true;
        b.bytes = static_cast<std::uintmax_t>(st.st_size);
        return false;
    });
    return backups;
}

std::string BackupFolderOf(const std::string& dataFilePath)
{
    return BackupFolder(SplitDataFilePath(dataFilePath));
}

BackupResult KeepFileAsBackup(const std::string& dataFilePath, const std::string& sourcePath,
                              const BackupTime& when)
{
    const NameParts parts = SplitDataFilePath(dataFilePath);
    std::string target;
    const int error = LinkUnderFreeName(sourcePath, BackupFolder(parts), parts, when, target);
    if (error != 0)
        return Failed(strings::Fill(strings::kCannotLinkBackup, {sourcePath, SystemError(error)}));
    BackupResult made;
    made.kept = BackupResult::Kept::Made;
    made.path = target;
    return made;
}
