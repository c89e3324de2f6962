// Feeds arbitrary file contents to the CSV import, and checks that whatever it reads comes back
// unchanged when exported and imported again.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "storage/CsvFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const CsvImport first = ReadCsvText(std::string(reinterpret_cast<const char*>(data), size));
    if (!first.ok) {
        if (first.error.empty() || !first.records.empty())
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
