#pragma once

#include <compare>
#include <cstdint>
#include <string>
#include <vector>

#include "storage/Outcome.h"

// Backups of the data file, kept in a folder beside it: "backups/nmr-2026-12-06-231646.dat"
// for a save made at that local time, "nmr-2026-12-06-231646-2.dat" for a second save in the
// same second. Only names of exactly that pattern are backups; anything else in the folder is
// left alone.

inline constexpr char kBackupFolderName[] = "backups";
inline constexpr int kBackupsKept = 20;

// A local date and time to the second, as a backup's name holds it.
struct BackupTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;

    // The local time now; callers pass it on, so tests choose their own times.
    static BackupTime Now();

    // "2026-12-06 23:16:46", for showing.
    std::string Text() const;

    friend auto operator<=>(const BackupTime&, const BackupTime&) = default;
};

// One backup in the folder.
struct BackupEntry {
    std::string path;
    BackupTime time;
    int sequence = 1;  // 1 for the first backup of its second, 2 for "-2", ...
    std::uintmax_t bytes = 0;  // the file's size
    long coins = -1;           // the records reading it as a data file gives; -1 when not counted
};

// What KeepBackup did.
struct BackupResult : Outcome {
    enum class Kept {
        Made,           // `path` is the new backup
        SameAsNewest,   // the newest backup already holds these contents
        NothingToKeep,  // no data file yet, or an empty one
    };
    Kept kept = Kept::NothingToKeep;  // what was done, when ok
    std::string path;
};

// Keeps the data file at `dataFilePath` as it is now as a backup named after `when`, unless
// the newest backup already holds the same bytes. Call it just before a save replaces the
// file. It makes a hard link, which costs no time and no space, and copies the file only where
// a link cannot be made (a folder on another file system, a file system without links); the
// link is safe because a save puts a new file in the old one's place (AtomicFile) instead of
// writing into it. A
// failed result must not stop the save: nothing has changed then, except possibly an empty
// backups folder.
BackupResult KeepBackup(const std::string& dataFilePath, const BackupTime& when);

// Removes all but the `keep` newest backups and returns how many it removed. Call it after a
// save succeeded, so that a failed save never costs a backup. Backups are ordered by the time
// in their names; should the clock have gone back, a newer backup may count as older.
int PruneBackups(const std::string& dataFilePath, int keep = kBackupsKept);

// The backups of the data file at `dataFilePath`, newest first, with their sizes; no file is
// read, so `coins` stays -1 (CountDataFileCoins counts them). A missing or unreadable folder
// gives no backups.
std::vector<BackupEntry> ListBackups(const std::string& dataFilePath);

// The backups folder of the data file at `dataFilePath`.
std::string BackupFolderOf(const std::string& dataFilePath);

// Keeps the file at `sourcePath`, which must lie in the backups folder (a file written there
// for the purpose), as a backup of the data file named after `when`, under a name no other
// backup has. The source stays where it is; the caller removes it.
BackupResult KeepFileAsBackup(const std::string& dataFilePath, const std::string& sourcePath,
                              const BackupTime& when);
