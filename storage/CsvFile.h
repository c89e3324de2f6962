#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "records/Collection.h"
#include "storage/CsvColumnGuess.h"
#include "storage/Outcome.h"

// Comma-separated values (RFC 4180) for spreadsheets, in UTF-8.
//
// Written: a UTF-8 byte order mark (so that spreadsheets that would otherwise guess an 8-bit
// code page read the accents right), a header row of the thirteen column headings ("Name",
// "Year", "Face Value", ...), then one row per coin in list order, top row first. Rows end in
// CR LF. A field is enclosed in quotes, its quotes doubled, when it holds a comma, a
// semicolon, a quote, a CR or an LF, or begins or ends with a space or a tab (which some
// spreadsheets would otherwise drop). Every other byte is written as it is, "=" at the start
// included, so that an import gives back every field byte for byte.
//
// Read: comma or semicolon separated, whichever the header row holds more of outside quotes
// (or as a first line "sep=;" says);
// UTF-8 with or without a byte order mark, anything else as Windows-1252. Columns are matched
// to fields by their heading, which may be a column heading or a data file key ("Face Value",
// "FACEVALUE", "face value"), letter case and spaces ignored. Quoted fields may hold
// separators, doubled quotes and line breaks; spaces are kept. A row with fewer fields than
// the header leaves the rest empty; more fields than the header are refused unless the extra
// ones are empty (spreadsheets pad rows so). A file with other headings is read through a
// column map instead (see CsvColumnGuess.h). Rows whose Name is empty, and rows whose fields
// hold nothing but spaces and tabs, are skipped. Malformed input gives no records and a message naming the line.

// The whole file as it is written.
std::string CsvText(const Collection& collection);

// Writes CsvText(collection) to `path`, replacing the file safely.
Outcome WriteCsvFile(const std::string& path, const Collection& collection);

// One column of an imported file.
struct CsvColumn {
    std::string heading;             // as written in the header row
    std::optional<CoinField> field;  // the field it fills; none for an unknown heading, or a
                                     // second column for a field already taken
};

// What an import found.
// When not ok, `problem` says what is wrong, beginning "Line N: " when a line is at fault.
struct CsvImport : Outcome {
    int errorLine = 0;  // that line (1 is the header row), or 0

    char separator = ',';
    std::vector<CsvColumn> columns;
    std::vector<std::string> unmatchedColumns;  // headings of the columns that fill no field
    std::vector<CoinRecord> records;            // in file order; empty when !ok
    int skippedRows = 0;                        // rows without a Name

    // The first rows of the file as written (up to kCsvSampleRows, blank rows not counted),
    // each field as read, to show what a column holds; kept when !ok for want of a Name.
    std::vector<std::vector<std::string>> sampleRows;
    bool noNameColumn = false;  // !ok only because no column fills Name
};

inline constexpr std::size_t kCsvSampleRows = 3;

// Reads a CSV file's bytes, its columns matched to fields by their headings.
CsvImport ReadCsvText(std::string bytes);

// The same with each column going where `map` says, whatever its heading; columns into the
// same field are joined.
CsvImport ReadCsvText(std::string bytes, const CsvColumnMap& map);

// Reads the CSV file at `path`; a file that cannot be read gives an error saying why.
CsvImport ReadCsvFile(const std::string& path);
CsvImport ReadCsvFile(const std::string& path, const CsvColumnMap& map);

// The headings of an import's header row, in order.
std::vector<std::string> CsvHeadings(const CsvImport& import);

// The map an import used: each column's field.
CsvColumnMap CsvMapOf(const CsvImport& import);

// Whether an import read by headings must be mapped by the user first: a heading that is none
// of ours, a second column for a field already taken, or no column for Name. A file with our
// own headings (our export) needs no map.
bool NeedsCsvColumnMap(const CsvImport& import);

// The question asked before an import adds its coins: the file's name, the number of coins,
// and the columns that match no field, e.g.
//   Add 25 coins from "coins.csv"?
//   These columns match no field and are left out: Weight, Notes.
std::string CsvImportQuestion(std::string_view fileName, const CsvImport& import);

// How the columns were matched, one line per column: "Face value -> Face Value", or
// "Weight -> (no field)".
std::string CsvColumnMapping(const CsvImport& import);

// The field a column heading names: a column heading or a data file key, letter case and
// spaces ignored; none when it names no field.
std::optional<CoinField> FieldOfCsvHeading(std::string_view heading);
