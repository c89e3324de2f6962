// Feeds arbitrary bytes to the data-file loader as the contents of "nmr.dat", and checks the
// round trip: what was loaded, saved and loaded again gives the same records in the same order.

#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "records/Collection.h"
#include "storage/DataFile.h"

namespace {

// One folder for the whole run, made at the first input.
const std::string& Folder()
{
    static const std::string folder = [] {
        std::string pattern = "/tmp/numora-fuzz-XXXXXX";
        if (!mkdtemp(pattern.data()))
            __builtin_trap();
        return pattern;
    }();
    return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string path = Folder() + "/nmr.dat";
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file || std::fwrite(data, 1, size, file) != size || std::fclose(file) != 0)
        __builtin_trap();

    DataFileContents first = ReadDataFileContents(path);
    if (!first.ok)
        __builtin_trap();  // an ordinary file that fits in memory is always read whole
    // The count the backups dialog shows is the number of coins a restore would give.
    if (CountDataFileCoins(path) != static_cast<long>(first.records.size()))
        __builtin_trap();
    Collection collection;
    collection.LoadBottomUp(first.records);
    if (!WriteDataFile(path, collection))
        __builtin_trap();

    // Trailing white space of a value does not survive the format, so the first load's values
    // (already trimmed) are what the second load must give back.
    DataFileContents second = ReadDataFileContents(path);
    if (!second.ok || second.records != collection.BottomUp())
        __builtin_trap();
    return 0;
}
