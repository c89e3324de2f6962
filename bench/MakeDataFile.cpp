// Writes the benchmarks' generated coins as a data file, for the whole-process benchmark:
//     make_bench_data COUNT PATH
// The same count gives the same file on every run.

#include <cstdlib>
#include <iostream>
#include <string>

#include "BenchSupport.h"
#include "storage/DataFile.h"

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cerr << "usage: make_bench_data COUNT PATH\n";
        return 2;
    }
    const long count = std::strtol(argv[1], nullptr, 10);
    if (count <= 0 || count > 100'000'000) {
        std::cerr << "make_bench_data: COUNT must be a number of coins from 1 to 100000000\n";
        return 2;
    }
    const Collection collection = GenerateCollection(static_cast<int>(count));
    const Outcome saved = WriteDataFile(argv[2], collection);
    if (!saved) {
        std::cerr << "make_bench_data: cannot write " << argv[2] << "\n";
        return 1;
    }
    return 0;
}
