#pragma once

#include <optional>
#include <string>
#include <vector>

#include "storage/CsvColumnGuess.h"
#include "storage/Outcome.h"

// The column maps the user chose for CSV files of other programs, kept in the collection
// folder in a file of their own ("csvmaps.dat"), so that the next import of a file with the
// same header row needs no question. A map is found by the headings exactly as written.
//
// The file is KEY=value text like the data file (UTF-8, CR LF): after the header line, each
// map is a line "MAP=" followed by one pair of lines per column, "HEADING=" with the heading
// and "FIELD=" with the data file key of its field, or nothing when the column is left out.
// Lines with other keys are ignored, and so is a map whose FIELD names no field.

inline constexpr const char* kCsvMapFileName = "csvmaps.dat";

struct SavedCsvMap {
    std::vector<std::string> headings;
    CsvColumnMap map;  // one entry per heading

    bool operator==(const SavedCsvMap&) const = default;
};

// The maps in the text of the file, in file order.
std::vector<SavedCsvMap> ParseCsvMaps(std::string_view text);

// The text of the file for `maps`.
std::string CsvMapsText(const std::vector<SavedCsvMap>& maps);

// The map saved for `headings` in the file at `path`; none when there is none or the file
// cannot be read.
std::optional<CsvColumnMap> FindSavedCsvMap(const std::string& path,
                                            const std::vector<std::string>& headings);

// Saves `map` for `headings` in the file at `path`, in place of a map saved for the same
// headings before; the file's other maps are kept. The file is replaced safely. A file that
// exists and cannot be read is not replaced.
Outcome SaveCsvMap(const std::string& path, const std::vector<std::string>& headings,
                      const CsvColumnMap& map);
