#pragma once

#include <string>
#include <vector>

#include "records/Collection.h"
#include "storage/SaveResult.h"

inline constexpr char kDataFileName[] = "nmr.dat";

// The records of a data file in file order (bottom row of the list first). A NAME line begins
// a record; the other keys set their field, and keep their value into the following records
// until set again; unknown keys are skipped; records with an empty Name are dropped. A missing
// file is created empty and gives no records.
std::vector<CoinRecord> ReadDataFile(const std::string& path);

// Writes the collection bottom row first, so that reading it back and inserting each record at
// the top restores the order on screen. An empty collection is an empty file.
SaveResult WriteDataFile(const std::string& path, const Collection& collection);
