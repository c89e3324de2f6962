#pragma once

#include <optional>
#include <stop_token>
#include <string>
#include <vector>

#include "records/Collection.h"
#include "records/RecordsSoFar.h"
#include "storage/Backups.h"
#include "storage/FileStamp.h"
#include "storage/FileReader.h"
#include "storage/Outcome.h"

inline constexpr char kDataFileName[] = "nmr.dat";

// What a data file held, and whether all of it could be read: when not ok, the file must not
// be overwritten in this run, and `problem` says why it was not read whole.
struct DataFileContents : Outcome {
    std::vector<CoinRecord> records;  // in file order, bottom row of the list first
};

// The records of a data file in file order (bottom row of the list first). A NAME line begins
// a record; the other keys set their field, and keep their value into the following records
// until set again; unknown keys are skipped; records with an empty Name are dropped. A missing
// file is created empty and gives no records, as does an empty one. A file that exists but
// could not be read whole (no permission, a folder or a FIFO, a read error, more than the
// memory holds) gives the records read before the failure and not ok. Never throws.
// With IfMissing::Leave (a backup, which is never made anew), a missing file is not created and
// is not read whole either: there is no collection to take from it.
// With `soFar`, every record is made through it, so that another thread can follow the reading
// (the caller ends it).
// With `hash`, the bytes of the file are added to it as they are read; it is left empty when
// the file could not be read whole in one go.
DataFileContents ReadDataFileContents(const std::string& path, IfMissing ifMissing = IfMissing::CreateEmpty,
                                      RecordsSoFar* soFar = nullptr, std::optional<ContentHash>* hash = nullptr);

// The records alone, for callers that need not know whether the file was read whole.
std::vector<CoinRecord> ReadDataFile(const std::string& path);

// The number of records ReadDataFile would give, without making them: a fraction of the time
// and next to no memory. -1 when the file is missing, cannot be read whole, or `stop` was
// requested first. The file is never created.
long CountDataFileCoins(const std::string& path, const std::stop_token& stop = {});

// Writes the collection bottom row first, so that reading it back and inserting each record at
// the top restores the order on screen. An empty collection is an empty file.
Outcome WriteDataFile(const std::string& path, const Collection& collection);

// The same, keeping the file it replaces in the backups folder beside it when its contents
// differ from the newest backup (see Backups.h), and keeping only the newest backups after a
// save that succeeded. A backup that cannot be made does not stop the save.
Outcome WriteDataFileKeepingBackup(const std::string& path, const Collection& collection,
                                      const BackupTime& when);

// Reads the data file as ReadDataFileContents does and sets `stamp` to the file read, for
// SaveDataFileChecked to tell later whether another program has written it since. A file
// written while it was read is stamped as changed. A missing file is made empty unless told
// to leave it.
DataFileContents ReadDataFileStamped(const std::string& path, FileStamp& stamp, RecordsSoFar* soFar = nullptr,
                                     IfMissing ifMissing = IfMissing::CreateEmpty);

// Writes the collection into a new backup of the data file at `path`, named after `when`,
// leaving the data file as it is. No temporary file is left, whatever fails.
BackupResult KeepCollectionAsBackup(const std::string& path, const Collection& collection,
                                    const BackupTime& when);

// What a save does when the data file was changed by another program since `stamp`.
enum class IfChanged {
    Stop,       // write nothing: the caller asks what to do and saves again
    Overwrite,  // keep the other file as a backup first (or write nothing), then write
    KeepBoth,   // write the collection as a backup and leave the other file in place
};

// When not ok, nothing was replaced and `problem` says why.
struct CheckedSave : Outcome {
    enum class Done {
        Saved,         // the data file holds the collection; the stamp is the new file's
        NotSaved,      // the file had changed and the caller said Stop; nothing was written
        KeptAsBackup,  // the file had changed: the collection is in `backupPath`, the file as it was
    };
    Done done = Done::NotSaved;  // what was done, when ok
    FileChange change = FileChange::Unchanged;  // what the check found before writing
    std::string backupPath;
};

// The save of the window: checks that the data file is still the one `stamp` describes, and
// then writes the collection keeping a backup of the file it replaces, as
// WriteDataFileKeepingBackup does, and stamps the file written. A data file that vanished is
// simply written. When another program changed it, `ifChanged` decides.
CheckedSave SaveDataFileChecked(const std::string& path, const Collection& collection, const BackupTime& when,
                                FileStamp& stamp, IfChanged ifChanged);
