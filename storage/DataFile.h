#pragma once

#include <stop_token>
#include <string>
#include <vector>

#include "records/Collection.h"
#include "storage/Backups.h"
#include "storage/FileReader.h"
#include "storage/SaveResult.h"

inline constexpr char kDataFileName[] = "nmr.dat";

// What a data file held, and whether all of it could be read.
struct DataFileContents {
    std::vector<CoinRecord> records;  // in file order, bottom row of the list first
    bool whole = true;                // false: the file must not be overwritten in this run
    std::string problem;              // why it was not read whole, in plain words
};

// The records of a data file in file order (bottom row of the list first). A NAME line begins
// a record; the other keys set their field, and keep their value into the following records
// until set again; unknown keys are skipped; records with an empty Name are dropped. A missing
// file is created empty and gives no records, as does an empty one. A file that exists but
// could not be read whole (no permission, a folder or a FIFO, a read error, more than the
// memory holds) gives the records read before the failure and `whole` false. Never throws.
// With IfMissing::Leave (a backup, which is never made anew), a missing file is not created and
// is not read whole either: there is no collection to take from it.
DataFileContents ReadDataFileContents(const std::string& path, IfMissing ifMissing = IfMissing::CreateEmpty);

// The records alone, for callers that need not know whether the file was read whole.
std::vector<CoinRecord> ReadDataFile(const std::string& path);

// The number of records ReadDataFile would give, without making them: a fraction of the time
// and next to no memory. -1 when the file is missing, cannot be read whole, or `stop` was
// requested first. The file is never created.
long CountDataFileCoins(const std::string& path, const std::stop_token& stop = {});

// Writes the collection bottom row first, so that reading it back and inserting each record at
// the top restores the order on screen. An empty collection is an empty file.
SaveResult WriteDataFile(const std::string& path, const Collection& collection);

// The same, keeping the file it replaces in the backups folder beside it when its contents
// differ from the newest backup (see Backups.h), and keeping only the newest backups after a
// save that succeeded. A backup that cannot be made does not stop the save.
SaveResult WriteDataFileKeepingBackup(const std::string& path, const Collection& collection,
                                      const BackupTime& when);
