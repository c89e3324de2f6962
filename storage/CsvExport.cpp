#include "storage/CsvFile.h"

#include "storage/AtomicFile.h"
#include "storage/TextEncoding.h"

// Writing a collection as CSV; the reading is in CsvFile.cpp.

namespace {

// Rows are gathered up to this size before they go to the file.
constexpr std::size_t kWriteChunk = 1 << 20;

bool NeedsQuotes(std::string_view field)
{
    if (field.empty())
        return false;
    const auto isSpace = [](char c) { return c == ' ' || c == '\t'; };
    return isSpace(field.front()) || isSpace(field.back()) ||
           field.find_first_of(",;\"\r\n") != std::string_view::npos;
}

void AppendField(std::string& out, std::string_view field)
{
    if (!NeedsQuotes(field)) {
        out += field;
        return;
    }
    out += '"';
    for (char c : field) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
}

void AppendHeader(std::string& out)
{
    out += kByteOrderMark;
    for (CoinField field : kCoinFields) {
        if (field != CoinField::Name)
            out += ',';
        AppendField(out, ColumnHeading(field));
    }
    out += "\r\n";
}

void AppendRow(std::string& out, const CoinRecord& record)
{
    for (CoinField field : kCoinFields) {
        if (field != CoinField::Name)
            out += ',';
        AppendField(out, record.Get(field));
    }
    out += "\r\n";
}

}  // namespace

std::string CsvText(const Collection& collection)
{
    std::string out;
    AppendHeader(out);
    for (int row = 0; row < collection.Count(); ++row)
        AppendRow(out, collection.Row(row));
    return out;
}

Outcome WriteCsvFile(const std::string& path, const Collection& collection)
{
    AtomicFile file(path);
    if (!file.IsOpen())
        return Outcome::Failed(file.OpenError());
    std::string chunk;
    AppendHeader(chunk);
    for (int row = 0; row < collection.Count(); ++row) {
        AppendRow(chunk, collection.Row(row));
        if (chunk.size() >= kWriteChunk) {
            file.Write(chunk);
            chunk.clear();
        }
    }
    file.Write(chunk);
    return file.Commit();
}
