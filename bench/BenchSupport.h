#pragma once

// What the benchmarks share: plausible coins made the same way on every run, a temporary
// folder, and the peak memory of the process.

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "records/Collection.h"

// `count` coins of a plausible collection, bottom row first. The same count gives the same
// coins on every machine. About one coin in twenty has a long Description of several lines,
// about one in thirty has "=" inside a value, and the texts include Greek, Cyrillic and
// accented letters.
std::vector<CoinRecord> GenerateCoins(int count);

// A collection of GenerateCoins(count).
Collection GenerateCollection(int count);

// A folder under the system's temporary folder, removed with everything in it on destruction.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Path() const { return m_path; }
    std::string File(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

// Measures the peak resident memory of the benchmark's own work: on construction the peak of
// the process is reset to what is resident now (Linux, /proc/self/clear_refs), and Report adds
// the counters "peak_MiB" (the process's peak since then, from getrusage) and "added_MiB"
// (that peak less what was resident at the start).
class PeakMemory {
public:
    PeakMemory();
    void Report(benchmark::State& state) const;

private:
    long m_startKiB;
};

// Sets the counter "rows/s" from the rows handled in each iteration.
void ReportRowRate(benchmark::State& state, long long rowsPerIteration);
