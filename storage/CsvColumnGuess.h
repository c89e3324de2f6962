#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "records/CoinRecord.h"

// Which field each column of a CSV file goes into, by column index; none leaves the column
// out. Columns past the end of the map are left out. Two columns into the same field are
// joined, their non-empty values in column order: one per line in the Description, with a
// space in the other fields, whose form fields hold one line (a line break there would be
// lost at the next Update).
using CsvColumnMap = std::vector<std::optional<CoinField>>;

// The field a heading written by another program or a spreadsheet most likely means: our own
// headings and data file keys first, then the common names others use ("Title" and "Coin" for
// Name, "Denomination" for Face Value, "Grade" for Condition, "Notes" for Description, ...).
// Letter case, spaces, punctuation and a plural "s" are ignored. None when nothing fits.
std::optional<CoinField> GuessCsvField(std::string_view heading);

// The first guess for a whole header row: each heading's GuessCsvField, except that a field
// already taken by a column to the left is not given again (the later column is left out),
// unless the field is Description, where notes and comments of every kind are joined.
CsvColumnMap GuessCsvColumnMap(const std::vector<std::string>& headings);

// What the values of several columns into `field` are joined with: a line break or a space.
std::string_view CsvJoinSeparator(CoinField field);

// The fields that more than one column of `map` goes into, in field order; an import joins
// those columns with line breaks.
std::vector<CoinField> JoinedFields(const CsvColumnMap& map);
