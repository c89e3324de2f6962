// Feeds arbitrary file contents to the CSV import, and checks that whatever it reads comes back
// unchanged when exported and imported again; a file that asks for a column map is read
// again through the first guess, which must refuse or read as soundly.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "storage/CsvFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    CsvImport first = ReadCsvText(bytes);
    if (NeedsCsvColumnMap(first)) {
        const std::vector<std::string> headings = CsvHeadings(first);
        first = ReadCsvText(bytes, GuessCsvColumnMap(headings));
        if (first.ok && CsvHeadings(first) != headings)
            std::abort();  // the same header row, whatever the map
    }
    if (!first.ok) {
        if (first.problem.empty() || !first.records.empty())
            std::abort();  // a refusal must say why and give nothing
        return 0;
    }
    Collection collection;
    collection.LoadBottomUp(std::vector<CoinRecord>(first.records.rbegin(), first.records.rend()));
    const CsvImport again = ReadCsvText(CsvText(collection));
    if (!again.ok || again.records != first.records)
        std::abort();
    return 0;
}
