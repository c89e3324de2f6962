// Benchmarks of the core at 1,000, 10,000, 100,000 and 1,000,000 coins: the data file and a raw
// read of it, CSV export and import, sorting, adding, the drop-down lists, page composition,
// search, the summary, undo and the backups of the data file.

#include <malloc.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "BenchSupport.h"
#include "output/CollectionSummary.h"
#include "output/PageComposer.h"
#include "output/PageFiles.h"
#include "records/ChoiceList.h"
#include "records/CoinSearch.h"
#include "storage/CsvFile.h"
#include "records/CollectionHistory.h"
#include "storage/AtomicFile.h"
#include "storage/Backups.h"
#include "storage/DataFile.h"

namespace {

// Made once per size and shared by the benchmarks, so that generating a million coins is not
// repeated (nor measured).
const Collection& SharedCollection(int count)
{
    static std::map<int, std::unique_ptr<Collection>> cache;
    auto& slot = cache[count];
    if (!slot)
        slot = std::make_unique<Collection>(GenerateCollection(count));
    return *slot;
}

TempFolder& SharedFolder()
{
    static TempFolder folder;
    return folder;
}

// A data file of `count` coins, written once.
std::string SharedDataFile(int count)
{
    const std::string path = SharedFolder().File("coins-" + std::to_string(count) + ".dat");
    if (!std::filesystem::exists(path))
        WriteDataFile(path, SharedCollection(count));
    return path;
}

// The collection as the program holds it after reading the data file: each record's text in a
// block of its own size, allocated in file order. Searching it reads memory in that order.
const Collection& SharedLoadedCollection(int count)
{
    static std::map<int, std::unique_ptr<Collection>> cache;
    auto& slot = cache[count];
    if (!slot) {
        slot = std::make_unique<Collection>();
        slot->LoadBottomUp(ReadDataFile(SharedDataFile(count)));
    }
    return *slot;
}

void Sizes(benchmark::internal::Benchmark* b)
{
    b->Arg(1000)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
}

// The floor of every operation on a data file: its bytes read into memory (from the page
// cache) and nothing done with them, in blocks of 1 MB as a plain copy program reads.
void BM_RawRead(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    const std::string path = SharedDataFile(count);
    std::vector<char> block(1 << 20);
    for (auto _ : state) {
        std::FILE* file = std::fopen(path.c_str(), "rb");
        if (!file) {
            state.SkipWithError("the data file could not be opened");
            break;
        }
        std::setvbuf(file, nullptr, _IONBF, 0);
        while (std::fread(block.data(), 1, block.size(), file) == block.size())
            benchmark::DoNotOptimize(block.data());
        std::fclose(file);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(std::filesystem::file_size(path)) *
                            state.iterations());
}
BENCHMARK(BM_RawRead)->Apply(Sizes);

void BM_ReadDataFile(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    const std::string path = SharedDataFile(count);
    const PeakMemory memory;
    for (auto _ : state) {
        std::vector<CoinRecord> records = ReadDataFile(path);
        benchmark::DoNotOptimize(records.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(std::filesystem::file_size(path)) *
                            state.iterations());
    ReportRowRate(state, count);
    memory.Report(state);
}
BENCHMARK(BM_ReadDataFile)->Apply(Sizes);

void BM_WriteDataFile(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    const Collection& collection = SharedCollection(count);
    const TempFolder folder;
    const std::string path = folder.File("nmr.dat");
    const PeakMemory memory;
    for (auto _ : state) {
        if (!WriteDataFile(path, collection))
            state.SkipWithError("the data file could not be written");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(std::filesystem::file_size(path)) *
                            state.iterations());
    ReportRowRate(state, count);
    memory.Report(state);
}
BENCHMARK(BM_WriteDataFile)->Apply(Sizes);

// Sorting the unsorted list by a column: Name (many distinct short texts), Condition (ten
// values, so long runs of equal texts) and Description (long texts, two in five empty).
void BM_SortByColumn(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    const auto column = static_cast<CoinField>(state.range(1));
    const Collection& unsorted = SharedCollection(count);
    for (auto _ : state) {
        state.PauseTiming();
        Collection collection = unsorted;
        state.ResumeTiming();
        if (collection.SortByColumn(column))
            state.SkipWithError("reversed instead of sorting");
        state.PauseTiming();
        collection = Collection();  // freeing the copy is not part of sorting
        state.ResumeTiming();
    }
    ReportRowRate(state, count);
}
BENCHMARK(BM_SortByColumn)
    ->ArgsProduct({{1000, 10000, 100000, 1000000},
                   {FieldIndex(CoinField::Name), FieldIndex(CoinField::Condition),
                    FieldIndex(CoinField::Description)}})
    ->ArgNames({"coins", "column"})
    ->Unit(benchmark::kMillisecond);

// Clicking the heading of a column that is already in order: the check finds it sorted and
// the rows are reversed.
void BM_SortByColumnReverses(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    Collection sorted = SharedCollection(count);
    sorted.SortByColumn(CoinField::Name);
    for (auto _ : state) {
        state.PauseTiming();
        Collection collection = sorted;
        state.ResumeTiming();
        if (!collection.SortByColumn(CoinField::Name))
            state.SkipWithError("sorted instead of reversing");
        state.PauseTiming();
        collection = Collection();
        state.ResumeTiming();
    }
    ReportRowRate(state, count);
}
BENCHMARK(BM_SortByColumnReverses)->Apply(Sizes);

// Adding one coin at the top of a million.
void BM_InsertTop(benchmark::State& state)
{
    Collection collection = SharedCollection(static_cast<int>(state.range(0)));
    const CoinRecord coin = collection.Row(0);
    for (auto _ : state)
        collection.InsertTop(coin);
    ReportRowRate(state, 1);
}
BENCHMARK(BM_InsertTop)->Arg(1000000);

// The duplicate check that Add makes before inserting: a Name and Year that no row has, so
// every row is looked at.
void BM_HasNameAndYear(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    const Collection& collection = SharedCollection(count);
    for (auto _ : state)
        benchmark::DoNotOptimize(collection.HasNameAndYear("5 Francs", "1066"));
    ReportRowRate(state, count);
}
BENCHMARK(BM_HasNameAndYear)->Apply(Sizes)->Unit(benchmark::kMicrosecond);

// Deleting the bottom row, the one furthest from the end of memory.
void BM_RemoveBottomRow(benchmark::State& state)
{
    Collection collection = SharedCollection(static_cast<int>(state.range(0)));
    for (auto _ : state)
        collection.Remove(collection.Count() - 1);
    ReportRowRate(state, 1);
}
BENCHMARK(BM_RemoveBottomRow)->Arg(1000000)->Unit(benchmark::kMillisecond);

// Fills a new drop-down list from `values` in each iteration.
void MeasureAddAll(benchmark::State& state, const std::vector<std::string_view>& values)
{
    const PeakMemory memory;
    for (auto _ : state) {
        ChoiceList list;
        list.AddAll(values);
        benchmark::DoNotOptimize(list.Entries().data());
    }
    ReportRowRate(state, static_cast<int>(values.size()));
    memory.Report(state);
}

// Filling a drop-down list from every row of a loaded file: the Country column (36 distinct
// values), and a column where every value is distinct.
void BM_ChoiceListAddAll(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    const Collection& collection = SharedCollection(count);
    std::vector<std::string_view> values;
    values.reserve(static_cast<std::size_t>(count));
    for (const CoinRecord& r : collection.BottomUp())
        values.push_back(r.Get(CoinField::Country));
    MeasureAddAll(state, values);
}
BENCHMARK(BM_ChoiceListAddAll)->Apply(Sizes);

void BM_ChoiceListAddAllDistinct(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    std::vector<std::string> texts;
    texts.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)  // scrambled, so the list is not sorted already
        texts.push_back("Lot " + std::to_string((i * 7919LL) % count) + " Österreich");
    const std::vector<std::string_view> values(texts.begin(), texts.end());
    MeasureAddAll(state, values);
}
BENCHMARK(BM_ChoiceListAddAllDistinct)->Apply(Sizes);

// The three drop-down lists of the window (Country, Condition, Category) filled from every row
// of a collection, as a load does: in one pass over the rows, and one list at a time.
constexpr std::array<CoinField, 3> kListFields = {CoinField::Country, CoinField::Condition, CoinField::Category};

void BM_ChoiceListsInOnePass(benchmark::State& state)
{
    const Collection& collection = SharedCollection(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        std::array<ChoiceList, 3> lists;
        ChoiceList::AddAll(collection.BottomUp(), kListFields, lists);
        benchmark::DoNotOptimize(lists[0].Entries().data());
    }
    ReportRowRate(state, collection.Count());
}
BENCHMARK(BM_ChoiceListsInOnePass)->Apply(Sizes);

void BM_ChoiceListsOneAtATime(benchmark::State& state)
{
    const Collection& collection = SharedCollection(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        std::array<ChoiceList, 3> lists;
        for (std::size_t i = 0; i < lists.size(); ++i)
            lists[i].AddAll(collection.BottomUp(), kListFields[i]);
        benchmark::DoNotOptimize(lists[0].Entries().data());
    }
    ReportRowRate(state, collection.Count());
}
BENCHMARK(BM_ChoiceListsOneAtATime)->Apply(Sizes);

// One value typed into a drop-down list that already holds a million entries.
void BM_ChoiceListAdd(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    ChoiceList list;
    {
        std::vector<std::string> texts;
        for (int i = 0; i < count; ++i)
            texts.push_back("Lot " + std::to_string(i));
        list.AddAll(std::vector<std::string_view>(texts.begin(), texts.end()));
    }
    int next = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(list.Add("New lot " + std::to_string(next++)));
    ReportRowRate(state, 1);
}
BENCHMARK(BM_ChoiceListAdd)->Arg(1000000)->Unit(benchmark::kMicrosecond);

// The bytes the heap has handed out and not taken back, to see what a step of the history
// really holds, whatever its own estimate says.
double HeapInUseMiB() { return static_cast<double>(mallinfo2().uordblks) / (1024.0 * 1024.0); }

// Undoing a sort by Name: the rows go back through the permutation the sort kept. Redo (not
// timed) sorts them again for the next iteration. The counters give what the history holds
// after the sort: its own count (`history_MiB`) and the growth of the heap in use that the
// sort's step left behind (`heap_MiB`), both against the rows' own size (`rows_MiB`).
void BM_UndoSort(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    Collection collection = SharedCollection(count);
    CollectionEditor editor(collection);
    CollectionHistory history(editor);
    const double heapBefore = HeapInUseMiB();
    if (history.Sort(CoinField::Name)) {
        state.SkipWithError("reversed instead of sorting");
        return;
    }
    const double heapAfter = HeapInUseMiB();
    for (auto _ : state) {
        if (history.Undo() != StepKind::Sort)
            state.SkipWithError("nothing undone");
        state.PauseTiming();
        history.Redo();
        state.ResumeTiming();
    }
    std::size_t rowBytes = collection.BottomUp().capacity() * sizeof(CoinRecord);
    for (const CoinRecord& r : collection.BottomUp())
        rowBytes += r.TextSize();
    state.counters["history_MiB"] = static_cast<double>(history.HeldBytes()) / (1024.0 * 1024.0);
    state.counters["heap_MiB"] = heapAfter - heapBefore;
    state.counters["rows_MiB"] = static_cast<double>(rowBytes) / (1024.0 * 1024.0);
    ReportRowRate(state, count);
}
BENCHMARK(BM_UndoSort)->Apply(Sizes);

// Undoing Clear All: the rows it took away come back (the history kept them, so nothing is
// copied). Redo (not timed) clears again.
void BM_UndoClearAll(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    Collection collection = SharedCollection(count);
    CollectionEditor editor(collection);
    CollectionHistory history(editor);
    history.ClearAll();
    for (auto _ : state) {
        if (history.Undo() != StepKind::ClearAll || collection.Count() != count)
            state.SkipWithError("nothing undone");
        state.PauseTiming();
        history.Redo();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_UndoClearAll)->Arg(1000000)->Unit(benchmark::kMicrosecond);

// A backup of the data file before a save replaces it. Argument 1 (changed): the newest
// backup holds other contents, of another size, so the file is linked at once; removing that
// link again is not timed. Argument 0 (unchanged): the newest backup is a copy of the data
// file, so the comparison reads both files to the end (from the page cache) and makes none.
void BM_KeepBackup(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    const bool changed = state.range(1) != 0;
    const TempFolder folder;
    const std::string data = folder.File("nmr.dat");
    std::filesystem::copy_file(SharedDataFile(count), data);
    std::filesystem::create_directory(folder.File("backups"));
    const std::string older = folder.File("backups/nmr-2025-12-31-120000.dat");
    if (changed)
        WriteFileAtomically(older, "NAME=another collection\n");
    else
        std::filesystem::copy_file(data, older);
    const BackupTime when{2026, 1, 1, 12, 0, 0};
    const auto expected = changed ? BackupResult::Kept::Made
                                  : BackupResult::Kept::SameAsNewest;
    for (auto _ : state) {
        const BackupResult result = KeepBackup(data, when);
        if (!result || result.kept != expected)
            state.SkipWithError("unexpected outcome");
        if (changed) {
            state.PauseTiming();
            std::filesystem::remove(result.path);
            state.ResumeTiming();
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(std::filesystem::file_size(data)) *
                            state.iterations());
}
BENCHMARK(BM_KeepBackup)
    ->ArgsProduct({{1000, 100000, 1000000}, {1, 0}})
    ->ArgNames({"coins", "changed"})
    ->Unit(benchmark::kMillisecond);

// A whole save as the window makes it: the backup of the old file, the data file written
// and safely replaced, the backups pruned. The collection alternates between two versions
// that differ by one coin, so every save keeps a backup; compare with BM_WriteDataFile.
void BM_SaveWithBackup(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    const Collection& one = SharedCollection(count);
    Collection other = one;
    other.InsertTop(CoinRecord::FromTexts({"1 Thaler", "1780"}));
    const TempFolder folder;
    const std::string data = folder.File("nmr.dat");
    WriteDataFile(data, other);
    int second = 0;
    for (auto _ : state) {
        const BackupTime when{2026, 1, 1, 12, second / 60 % 60, second % 60};
        const BackupResult backup = KeepBackup(data, when);
        if (!WriteDataFile(data, second % 2 ? other : one))
            state.SkipWithError("the data file could not be written");
        PruneBackups(data);
        if (!backup || backup.kept != BackupResult::Kept::Made)
            state.SkipWithError("no backup made");
        ++second;
    }
    ReportRowRate(state, count);
}
BENCHMARK(BM_SaveWithBackup)->Apply(Sizes);

// The save the window makes: first the check that the file is still the one this program last
// wrote, which reads and hashes it again since right after a save its time is too recent to
// trust, then the work of BM_SaveWithBackup with the bytes hashed as they go out.
void BM_SaveChecked(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    const Collection& one = SharedCollection(count);
    Collection other = one;
    other.InsertTop(CoinRecord::FromTexts({"1 Thaler", "1780"}));
    const TempFolder folder;
    const std::string data = folder.File("nmr.dat");
    WriteDataFile(data, other);
    FileStamp stamp;
    ReadDataFileStamped(data, stamp);
    int second = 0;
    for (auto _ : state) {
        const BackupTime when{2026, 1, 1, 12, second / 60 % 60, second % 60};
        const CheckedSave save = SaveDataFileChecked(data, second % 2 ? other : one, when, stamp, IfChanged::Stop);
        if (!save || save.done != CheckedSave::Done::Saved || !stamp.hashed)
            state.SkipWithError("not saved as the window saves");
        ++second;
    }
    ReportRowRate(state, count);
}
BENCHMARK(BM_SaveChecked)->Apply(Sizes);

Preferences SamplePreferences()
{
    Preferences prefs;
    prefs[PrefKey::Name] = "Maria Jansen";
    prefs[PrefKey::Email] = "maria@example.org";
    prefs[PrefKey::Address1] = "Kerkstraat 12";
    prefs[PrefKey::City] = "Utrecht";
    prefs[PrefKey::Country] = "Nederland";
    return prefs;
}

// The list page or the catalogue page from the sample templates, composed into memory
// (ComposePage) or written straight to a file with the safe replace, as the window does
// (WritePageFile).
void PageBench(benchmark::State& state, const PageKind& kind, bool toFile)
{
    const int count = static_cast<int>(state.range(0));
    const Collection& collection = SharedCollection(count);
    const std::string folder = NUMORA_TEMPLATES;
    const auto outer = ReadTemplate(folder + "/" + std::string(kind.outerTemplate));
    const auto inner = ReadTemplate(folder + "/" + std::string(kind.innerTemplate));
    if (!outer || !inner || outer->empty() || inner->empty()) {
        state.SkipWithError("the sample templates could not be read");
        return;
    }
    const Preferences prefs = SamplePreferences();
    const TempFolder files;
    const std::string path = files.File(std::string(kind.defaultOutput));
    const PeakMemory memory;
    std::size_t pageSize = 0;
    for (auto _ : state) {
        if (toFile) {
            if (!WritePageFile(path, *outer, *inner, collection, prefs))
                state.SkipWithError("the page could not be written");
        } else {
            const std::string page = ComposePage(*outer, *inner, collection, prefs);
            pageSize = page.size();
            benchmark::DoNotOptimize(page.data());
        }
    }
    if (toFile)
        pageSize = static_cast<std::size_t>(std::filesystem::file_size(path));
    state.SetBytesProcessed(static_cast<std::int64_t>(pageSize) * state.iterations());
    state.counters["page_MiB"] = static_cast<double>(pageSize) / (1024.0 * 1024.0);
    ReportRowRate(state, count);
    memory.Report(state);
}

void BM_ComposeListPage(benchmark::State& state) { PageBench(state, kListPage, false); }
BENCHMARK(BM_ComposeListPage)->Apply(Sizes);

void BM_ComposeCataloguePage(benchmark::State& state) { PageBench(state, kCataloguePage, false); }
BENCHMARK(BM_ComposeCataloguePage)->Apply(Sizes);

void BM_WriteListPage(benchmark::State& state) { PageBench(state, kListPage, true); }
BENCHMARK(BM_WriteListPage)->Apply(Sizes);

void BM_WriteCataloguePage(benchmark::State& state) { PageBench(state, kCataloguePage, true); }
BENCHMARK(BM_WriteCataloguePage)->Apply(Sizes);

// A search of the whole collection read from the data file, as each key typed in the search
// field makes: the rows that match, their count and the place of the next one. "buffalo nickel" matches no coin
// (every text is read to the end), "francs" a few in a hundred, "Россия" (Cyrillic, folded
// through the two-byte letters) one in 36.
void BM_FindNext(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    const Collection& collection = SharedLoadedCollection(count);
    static const char* const kTexts[] = {"buffalo nickel", "FRANCS", "\xD0\xA0\xD0\xBE\xD1\x81"
                                         "\xD1\x81\xD0\xB8\xD1\x8F"};
    const CoinSearch search(kTexts[state.range(1)]);
    int found = 0;
    for (auto _ : state) {
        const FindResult result = FindNext(collection, search, collection.Count() / 2);
        found = result.count;
        benchmark::DoNotOptimize(result);
    }
    state.counters["matches"] = found;
    ReportRowRate(state, count);
}
BENCHMARK(BM_FindNext)
    ->ArgsProduct({{1000, 10000, 100000, 1000000}, {0, 1, 2}})
    ->ArgNames({"coins", "text"})
    ->Unit(benchmark::kMillisecond);

// The summary dialog's numbers: every Purchase Price and Current Value read as an amount, the
// groups by country, category and condition, and the purchases by year.
void BM_SummarizeCollection(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    const Collection& collection = SharedCollection(count);
    const PeakMemory memory;
    for (auto _ : state) {
        const CollectionSummary summary = SummarizeCollection(collection);
        benchmark::DoNotOptimize(summary.purchase.total);
    }
    ReportRowRate(state, count);
    memory.Report(state);
}
BENCHMARK(BM_SummarizeCollection)->Apply(Sizes);

// A CSV export of N coins, with the safe replace, to compare with BM_WriteDataFile.
void BM_WriteCsvFile(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    const Collection& collection = SharedCollection(count);
    const TempFolder folder;
    const std::string path = folder.File("coins.csv");
    const PeakMemory memory;
    for (auto _ : state) {
        if (!WriteCsvFile(path, collection))
            state.SkipWithError("the CSV file could not be written");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(std::filesystem::file_size(path)) *
                            state.iterations());
    ReportRowRate(state, count);
    memory.Report(state);
}
BENCHMARK(BM_WriteCsvFile)->Apply(Sizes);

// A CSV import of an N-coin file (already in the page cache), to compare with
// BM_ReadDataFile.
void BM_ReadCsvFile(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    const std::string path = SharedFolder().File("coins-" + std::to_string(count) + ".csv");
    if (!std::filesystem::exists(path))
        WriteCsvFile(path, SharedCollection(count));
    const PeakMemory memory;
    for (auto _ : state) {
        const CsvImport result = ReadCsvFile(path);
        if (!result.ok || result.records.size() != static_cast<std::size_t>(count))
            state.SkipWithError("the CSV file did not read back");
        benchmark::DoNotOptimize(result.records.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(std::filesystem::file_size(path)) *
                            state.iterations());
    ReportRowRate(state, count);
    memory.Report(state);
}
BENCHMARK(BM_ReadCsvFile)->Apply(Sizes);

}  // namespace
