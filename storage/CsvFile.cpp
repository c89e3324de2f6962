#include "storage/CsvFile.h"

#include <csv.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

#include "records/CaseFold.h"
#include "records/CoinRecordBuilder.h"
#include "resources/FixedStrings.h"
#include "storage/AtomicFile.h"
#include "storage/FileReader.h"
#include "storage/TextEncoding.h"

namespace {

// A heading without spaces and in folded case, for matching.
std::string HeadingKey(std::string_view heading)
{
    std::string key;
    for (std::size_t i = 0; i < heading.size(); ++i) {
        const char c = heading[i];
        if (c == ' ' || c == '\t')
            continue;
        if (heading.substr(i, 2) == "\xC2\xA0") {  // no-break space
            ++i;
            continue;
        }
        key += c;
    }
    return FoldCase(key);
}

// Counts commas and semicolons outside quotes in the first row, to tell the separator.
char DetectSeparator(std::string_view text)
{
    int commas = 0, semicolons = 0;
    bool quoted = false;
    for (char c : text) {
        if (c == '"')
            quoted = !quoted;
        else if (!quoted && (c == '\r' || c == '\n'))
            break;
        else if (!quoted && c == ',')
            ++commas;
        else if (!quoted && c == ';')
            ++semicolons;
    }
    return semicolons > commas ? ';' : ',';
}

// The number of the line on which byte `at` lies: line breaks are LF, CR LF or a lone CR.
int LineOf(std::string_view text, std::size_t at)
{
    int line = 1;
    for (std::size_t i = 0; i < at && i < text.size(); ++i) {
        if (text[i] == '\n' || (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n')))
            ++line;
    }
    return line;
}

int NoSpace(unsigned char) { return 0; }

// Turns the fields and rows that libcsv reports into records, and keeps what is needed to
// name the line of a fault.
class Importer {
public:
    // Columns matched by heading, or through `map` when one is given.
    Importer(CsvImport& result, const CsvColumnMap* map) : m_result(result), m_map(map) {}

    // Parses `text`, whose first line is line `firstLine` + 1 of the file.
    void Parse(std::string_view text, char separator, int firstLine)
    {
        m_line = firstLine;
        csv_parser parser;
        // Strict: a quote inside an unquoted field, text after a closing quote and a quote
        // never closed are errors, not guesses.
        if (csv_init(&parser, CSV_STRICT | CSV_STRICT_FINI) != 0) {
            Fail(0, std::string(strings::kCsvOutOfMemory));
            return;
        }
        csv_set_delim(&parser, static_cast<unsigned char>(separator));
        csv_set_space_func(&parser, NoSpace);  // spaces around a value are part of it

        // One line at a time, so that the line of each row and of each fault is known.
        std::size_t at = 0;
        while (at < text.size() && !m_failed) {
            std::size_t end = text.find_first_of("\r\n", at);
            if (end == std::string_view::npos)
                end = text.size();
            else if (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n')
                end += 2;
            else
                end += 1;
            ++m_line;
            if (m_atRowStart && text[at] != '\r' && text[at] != '\n') {
                m_rowLine = m_fieldLine = m_line;
                m_atRowStart = false;
            }
            const std::string_view chunk = text.substr(at, end - at);
            const std::size_t parsed =
                csv_parse(&parser, chunk.data(), chunk.size(), &Importer::OnField,
                          &Importer::OnRow, this);
            if (parsed < chunk.size() && !m_failed) {
                Fail(m_line, chunk[parsed] == '"'
                                 ? std::string(strings::kCsvStrayQuote)
                                 : std::string(strings::kCsvTextAfterQuote));
            }
            at = end;
        }
        if (!m_failed &&
            csv_fini(&parser, &Importer::OnField, &Importer::OnRow, this) != 0 && !m_failed)
            Fail(m_fieldLine, std::string(strings::kCsvUnclosedQuote));
        csv_free(&parser);
        if (!m_failed && !m_haveHeader)
            Fail(0, std::string(strings::kCsvEmpty));
        Finish();
    }

    bool Failed() const { return m_failed; }

private:
    static void OnField(void* data, std::size_t size, void* self)
    {
        auto& importer = *static_cast<Importer*>(self);
        if (importer.m_failed)
            return;
        const std::size_t index = importer.m_fieldCount++;
        if (index >= importer.m_row.size())
            importer.m_row.emplace_back();
        if (size == 0)
            importer.m_row[index].clear();
        else
            importer.m_row[index].assign(static_cast<const char*>(data), size);
        importer.m_fieldLine = importer.m_line;  // the next field begins on this line
    }

    static void OnRow(int, void* self)
    {
        auto& importer = *static_cast<Importer*>(self);
        if (!importer.m_failed) {
            if (importer.m_haveHeader)
                importer.TakeRow();
            else
                importer.TakeHeader();
        }
        importer.m_fieldCount = 0;
        importer.m_atRowStart = true;
    }

    void TakeHeader()
    {
        m_haveHeader = true;
        m_headerLine = m_rowLine;
        std::array<bool, kCoinFieldCount> taken{};
        for (std::size_t i = 0; i < m_fieldCount; ++i) {
            CsvColumn column;
            column.heading = m_row[i];
            std::optional<CoinField> field;
            if (m_map) {
                field = i < m_map->size() ? (*m_map)[i] : std::nullopt;
            } else {
                field = FieldOfCsvHeading(column.heading);
                if (field && taken[FieldIndex(*field)])
                    field.reset();
            }
            if (field) {
                taken[FieldIndex(*field)] = true;
                column.field = field;
                m_fieldColumns[FieldIndex(*field)].push_back(i);
            } else if (!HeadingKey(column.heading).empty()) {
                m_result.unmatchedColumns.push_back(column.heading);
            }
            m_result.columns.push_back(std::move(column));
        }
        m_noName = !taken[FieldIndex(CoinField::Name)];
    }

    // Called once the whole file is read: a file without a Name column is refused only now,
    // so that its first rows are there to be shown in a column map.
    void Finish()
    {
        if (!m_failed && m_haveHeader && m_noName) {
            Fail(m_headerLine, std::string(strings::kCsvNoNameColumn));
            m_result.noNameColumn = true;
        }
    }

    void TakeRow()
    {
        const std::size_t columns = m_result.columns.size();
        if (m_result.sampleRows.size() < kCsvSampleRows &&
            !(m_fieldCount == 1 && m_row[0].empty())) {
            m_result.sampleRows.emplace_back(m_row.begin(),
                                             m_row.begin() + static_cast<std::ptrdiff_t>(m_fieldCount));
        }
        if (m_fieldCount > columns) {
            for (std::size_t i = columns; i < m_fieldCount; ++i) {
                if (!m_row[i].empty()) {
                    Fail(m_rowLine, std::string(strings::kCsvRowLongerBefore) + std::to_string(m_fieldCount) +
                                        std::string(strings::kCsvRowLongerMiddle) + std::to_string(columns) +
                                        std::string(strings::kCsvRowLongerAfter));
                    return;
                }
            }
        }
        if (m_noName)
            return;  // refused at the end; reading on finds any fault and the first rows
        const auto cell = [&](std::size_t column) -> std::string_view {
            return column < m_fieldCount ? std::string_view(m_row[column]) : std::string_view();
        };
        // A field filled from several columns holds their non-empty values, joined.
        for (CoinField field : kCoinFields) {
            const std::vector<std::size_t>& from = m_fieldColumns[FieldIndex(field)];
            if (from.size() < 2)
                continue;
            std::string& joined = m_joined[FieldIndex(field)];
            joined.clear();
            for (std::size_t column : from) {
                if (cell(column).empty())
                    continue;
                if (!joined.empty())
                    joined += CsvJoinSeparator(field);
                joined += cell(column);
            }
        }
        const auto text = [&](CoinField field) -> std::string_view {
            const std::vector<std::size_t>& from = m_fieldColumns[FieldIndex(field)];
            if (from.empty())
                return {};
            if (from.size() == 1)
                return cell(from.front());
            return m_joined[FieldIndex(field)];
        };
        // Only the fields that would be kept count: a row whose record would hold nothing but
        // spaces is not a coin, whatever the columns that match no field hold.
        bool blank = true;
        for (CoinField field : kCoinFields)
            blank = blank && text(field).find_first_not_of(" \t") == std::string_view::npos;
        if (blank || text(CoinField::Name).empty()) {
            ++m_result.skippedRows;
            return;
        }
        // Every field is set, so nothing carries over from the row before; the builder keeps
        // its buffers from row to row, and each record is made with one allocation.
        for (CoinField field : kCoinFields)
            m_builder.Set(field, text(field));
        m_result.records.push_back(m_builder.Build());
    }

    void Fail(int line, const std::string& what)
    {
        m_failed = true;
        m_result.errorLine = line;
        m_result.Fail(line > 0 ? std::string(strings::kCsvLine) + std::to_string(line) + ": " + what : what);
    }

    CsvImport& m_result;
    bool m_failed = false;
    bool m_haveHeader = false;
    std::vector<std::string> m_row;  // the fields of the row being read (reused)
    CoinRecordBuilder m_builder;
    std::size_t m_fieldCount = 0;
    const CsvColumnMap* m_map = nullptr;
    std::array<std::vector<std::size_t>, kCoinFieldCount> m_fieldColumns;  // the columns of each field
    std::array<std::string, kCoinFieldCount> m_joined;  // fields of several columns, joined
    bool m_noName = false;
    int m_headerLine = 0;
    int m_line = 0;        // the line being parsed
    int m_rowLine = 0;     // the line on which the row being read began
    int m_fieldLine = 0;   // the line on which the field being read began
    bool m_atRowStart = true;
};


// The readers by headings (no map) or through a map.
CsvImport ReadCsvTextWith(std::string bytes, const CsvColumnMap* map)
{
    CsvImport result;
    const auto fail = [&](int line, const std::string& what) {
        result.errorLine = line;
        result.Fail(line > 0 ? std::string(strings::kCsvLine) + std::to_string(line) + ": " + what : what);
        return result;
    };
    if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF"))
        return fail(0, std::string(strings::kCsvUtf16));
    const std::size_t nul = bytes.find('\0');
    if (nul != std::string::npos)
        return fail(LineOf(bytes, nul), std::string(strings::kCsvNulByte));

    const std::string text = DecodeFileText(std::move(bytes));
    std::string_view rows = text;
    int skippedLines = 0;
    // A first line "sep=;" names the separator, as one spreadsheet writes and reads it.
    if (rows.size() >= 5 && rows.starts_with("sep=") && (rows[4] == ',' || rows[4] == ';') &&
        (rows.size() == 5 || rows[5] == '\r' || rows[5] == '\n')) {
        result.separator = rows[4];
        std::size_t lineEnd = 5;
        if (rows.substr(5, 2) == "\r\n")
            lineEnd = 7;
        else if (rows.size() > 5)
            lineEnd = 6;
        rows.remove_prefix(lineEnd);
        skippedLines = 1;
    } else {
        result.separator = DetectSeparator(rows);
    }
    Importer importer(result, map);
    importer.Parse(rows, result.separator, skippedLines);
    if (importer.Failed()) {
        result.records.clear();
        result.records.shrink_to_fit();
        result.skippedRows = 0;
        return result;
    }
    return result;
}

CsvImport ReadCsvFileWith(const std::string& path, const CsvColumnMap* map)
{
    FileReadResult file = ReadWholeFile(path, IfMissing::Leave);
    if (!file || file.missing) {
        CsvImport result;
        result.Fail(std::string(strings::kFileNotReadBefore) + path + std::string(strings::kFileNotReadAfter) +
                    (file.missing ? std::string(strings::kReadMissing) : file.problem) + ".");
        return result;
    }
    return ReadCsvTextWith(std::move(file.bytes), map);
}
}  // namespace

std::optional<CoinField> FieldOfCsvHeading(std::string_view heading)
{
    const std::string key = HeadingKey(heading);
    for (CoinField field : kCoinFields) {
        if (key == HeadingKey(ColumnHeading(field)) || key == HeadingKey(DataFileKey(field)))
            return field;
    }
    return std::nullopt;
}

CsvImport ReadCsvText(std::string bytes)
{
    return ReadCsvTextWith(std::move(bytes), nullptr);
}

CsvImport ReadCsvText(std::string bytes, const CsvColumnMap& map)
{
    return ReadCsvTextWith(std::move(bytes), &map);
}

CsvImport ReadCsvFile(const std::string& path)
{
    return ReadCsvFileWith(path, nullptr);
}

CsvImport ReadCsvFile(const std::string& path, const CsvColumnMap& map)
{
    return ReadCsvFileWith(path, &map);
}

std::string CsvImportQuestion(std::string_view fileName, const CsvImport& import)
{
    const std::size_t coins = import.records.size();
    std::string text = std::string(strings::kCsvAskBefore) + std::to_string(coins) +
                       std::string(coins == 1 ? strings::kCsvAskCoin : strings::kCsvAskCoins) +
                       std::string(strings::kCsvAskFrom) + std::string(fileName) + std::string(strings::kCsvAskAfter);
    if (!import.unmatchedColumns.empty()) {
        text += strings::kCsvLeftOut;
        for (std::size_t i = 0; i < import.unmatchedColumns.size(); ++i)
            text += (i > 0 ? ", " : "") + import.unmatchedColumns[i];
        text += '.';
    }
    return text;
}

std::string CsvColumnMapping(const CsvImport& import)
{
    std::string text;
    for (const CsvColumn& column : import.columns) {
        if (column.heading.empty() && !column.field)
            continue;
        text += column.heading + " -> ";
        text += column.field ? std::string(ColumnHeading(*column.field)) : std::string(strings::kCsvNoField);
        text += '\n';
    }
    return text;
}

std::vector<std::string> CsvHeadings(const CsvImport& import)
{
    std::vector<std::string> headings;
    for (const CsvColumn& column : import.columns)
        headings.push_back(column.heading);
    return headings;
}

CsvColumnMap CsvMapOf(const CsvImport& import)
{
    CsvColumnMap map;
    for (const CsvColumn& column : import.columns)
        map.push_back(column.field);
    return map;
}

bool NeedsCsvColumnMap(const CsvImport& import)
{
    if (import.noNameColumn)
        return true;
    if (!import.ok)
        return false;
    for (const CsvColumn& column : import.columns) {
        if (!column.field && !HeadingKey(column.heading).empty())
            return true;
    }
    return false;
}
