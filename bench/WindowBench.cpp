// Benchmarks of the window layer on the offscreen platform: the list model over a million
// coins, the main window starting up on a data file of a million coins, and the backups dialog
// over large backups.

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QTableView>

#include <unistd.h>

#include <filesystem>
#include <memory>

#include "BenchSupport.h"
#include "app/CCollectionDlg.h"
#include "widgets/Platform.h"
#include "records/qt/CoinTableModel.h"
#include "storage/Backups.h"
#include "storage/DataFile.h"
#include "storage/qt/CRestoreBackupDlg.h"

namespace {

// A desktop that answers every question Yes, rejects every modal dialog and opens nothing.
class QuietPlatform : public Platform {
public:
    void ShowError(QWidget*, const QString&, const QString&) override {}
    bool AskYesNo(QWidget*, const QString&) override { return true; }
    int AskChoice(QWidget*, const QString&, const QStringList& buttons) override { return int(buttons.size()) - 1; }
    int RunModal(QDialog&) override { return QDialog::Rejected; }
    QString GetOpenFileName(QWidget*, const QStringList&) override { return {}; }
    QString GetSaveFileName(QWidget*, const QString&, const QString&) override { return {}; }
    void OpenWithDefaultApp(const QString&) override {}
    QDate Today() override { return QDate(2026, 12, 6); }
    void EndProcess(int) override {}
    void ReportProblem(const std::string&) override {}
};

// The current folder moved to a temporary folder holding a data file of `count` coins.
class CollectionFolder {
public:
    explicit CollectionFolder(int count) : m_old(std::filesystem::current_path())
    {
        WriteDataFile(m_folder.File(kDataFileName), GenerateCollection(count));
        std::filesystem::current_path(m_folder.Path());
    }
    ~CollectionFolder() { std::filesystem::current_path(m_old); }

private:
    TempFolder m_folder;
    std::filesystem::path m_old;
};

void Settle() { QCoreApplication::processEvents(); }

// The model taking in a loaded file, and the widest text of every column found for the column
// widths, as the window asks for them.
void BM_ModelLoadBottomUp(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    const std::vector<CoinRecord> coins = GenerateCoins(count);
    const PeakMemory memory;
    for (auto _ : state) {
        state.PauseTiming();
        Collection collection;
        auto model = std::make_unique<CoinTableModel>(collection, QApplication::font());
        std::vector<CoinRecord> records = coins;
        state.ResumeTiming();
        model->LoadBottomUp(std::move(records));
        int widest = 0;
        for (int c = 0; c < kCoinFieldCount; ++c)
            widest = std::max(widest, model->WidestText(c));
        benchmark::DoNotOptimize(widest);
        state.PauseTiming();
        model.reset();
        collection.Clear();
        state.ResumeTiming();
    }
    ReportRowRate(state, count);
    state.counters["cells/s"] = benchmark::Counter(
        static_cast<double>(count) * kCoinFieldCount * static_cast<double>(state.iterations()),
        benchmark::Counter::kIsRate);
    memory.Report(state);
}
BENCHMARK(BM_ModelLoadBottomUp)
    ->Arg(1000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// The columns measured as the window does while the file is read: records read from the data
// file (their texts packed as the reading packs them), handed to MeasureRows a run at a time.
void BM_MeasureRowsRead(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    TempFolder folder;
    WriteDataFile(folder.File(kDataFileName), GenerateCollection(count));
    const std::vector<CoinRecord> records = ReadDataFile(folder.File(kDataFileName));
    Collection collection;
    const CoinTableModel model(collection, QApplication::font());
    const std::span<const CoinRecord> all(records);
    for (auto _ : state) {
        CoinTableModel::ColumnWidths widest{};
        for (std::size_t at = 0; at < all.size(); at += RecordsSoFar::kRun)
            model.MeasureRows(all.subspan(at, std::min(RecordsSoFar::kRun, all.size() - at)), widest);
        benchmark::DoNotOptimize(widest);
    }
    ReportRowRate(state, count);
}
BENCHMARK(BM_MeasureRowsRead)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// Adding one coin at the top of a million through the model, then asking for the widest text
// of every column as fitting the column widths does; with no view, and with a list view
// showing the model.
void ModelInsertTop(benchmark::State& state, bool withView)
{
    const int count = static_cast<int>(state.range(0));
    Collection collection;
    CoinTableModel model(collection, QApplication::font());
    model.LoadBottomUp(GenerateCoins(count));
    std::unique_ptr<QTableView> view;
    if (withView) {
        view = std::make_unique<QTableView>();
        view->verticalHeader()->hide();
        view->setModel(&model);
        view->resize(600, 300);
        view->show();
        Settle();
    }
    const CoinRecord coin = collection.Row(count / 2);
    for (auto _ : state) {
        model.InsertRows(0, {coin});
        int widest = 0;
        for (int c = 0; c < kCoinFieldCount; ++c)
            widest = std::max(widest, model.WidestText(c));
        benchmark::DoNotOptimize(widest);
        if (withView)
            Settle();
    }
    ReportRowRate(state, 1);
}

void BM_ModelInsertTopAndWidest(benchmark::State& state) { ModelInsertTop(state, false); }
BENCHMARK(BM_ModelInsertTopAndWidest)->Arg(1000000)->Unit(benchmark::kMicrosecond);

void BM_ViewInsertTopAndWidest(benchmark::State& state) { ModelInsertTop(state, true); }
BENCHMARK(BM_ViewInsertTopAndWidest)->Arg(1000000)->Unit(benchmark::kMicrosecond);

// The main window starting on a data file: reading it, the model measuring every cell, the
// drop-down lists, the column widths, and the first showing of the window.
void BM_WindowStartUp(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    const CollectionFolder folder(count);
    QuietPlatform platform;
    const PeakMemory memory;
    for (auto _ : state) {
        auto dialog = std::make_unique<CCollectionDlg>(platform);
        dialog->show();
        Settle();
        if (dialog->collection().Count() != count)
            state.SkipWithError("the window did not load every coin");
        state.PauseTiming();
        dialog.reset();
        Settle();
        state.ResumeTiming();
    }
    ReportRowRate(state, count);
    memory.Report(state);
}
BENCHMARK(BM_WindowStartUp)
    ->Arg(1000)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->MinTime(1.0);

// Commands of the shown main window with a million coins: Add (with its duplicate check, the
// drop-down lists, the model and the column widths), and clicking column headings, each click
// a real sort because the two columns take turns.
struct OpenWindow {
    explicit OpenWindow(int count) : folder(count), dialog(platform)
    {
        dialog.show();
        Settle();
    }
    CollectionFolder folder;
    QuietPlatform platform;
    CCollectionDlg dialog;
};

void BM_WindowAddCoin(benchmark::State& state)
{
    OpenWindow window(static_cast<int>(state.range(0)));
    auto* name = qobject_cast<QLineEdit*>(window.dialog.control(IDC_NAME));
    auto* country = qobject_cast<QComboBox*>(window.dialog.control(IDC_COUNTRY));
    int next = 0;
    for (auto _ : state) {
        name->setText(QStringLiteral("Bench coin %1").arg(next++));
        country->setEditText(QStringLiteral("Nederland"));
        window.dialog.OnAddButton();
        Settle();
    }
    ReportRowRate(state, 1);
}
BENCHMARK(BM_WindowAddCoin)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_WindowSortByColumn(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    OpenWindow window(count);
    int turn = 0;
    for (auto _ : state) {
        window.dialog.SortByColumn(turn++ % 2 == 0 ? FieldIndex(CoinField::Name)
                                                   : FieldIndex(CoinField::Condition));
        Settle();
    }
    ReportRowRate(state, count);
}
BENCHMARK(BM_WindowSortByColumn)->Arg(1000000)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// File > Restore Backup... with four backups of `count` coins each: the list of backups, the
// dialog made and shown, and the dialog closed again while its counting thread is still at the
// first backup. Nothing here reads a backup whole; compare with BM_CountBackupCoins, the time
// the counts take to arrive, and BM_ReadDataFile in core_bench, what each count cost when the
// list read every backup before it was shown.
constexpr int kBackupsShown = 4;

struct BackupsFolder {
    explicit BackupsFolder(int count)
    {
        const std::string data = folder.File(kDataFileName);
        WriteDataFile(data, GenerateCollection(count));
        std::filesystem::create_directory(folder.File(kBackupFolderName));
        for (int i = 0; i < kBackupsShown; ++i)
            std::filesystem::create_hard_link(
                data, folder.File(std::string(kBackupFolderName) + "/nmr-2026-01-0" + std::to_string(i + 1) + "-120000.dat"));
    }
    TempFolder folder;
};

void BM_RestoreBackupDialogShown(benchmark::State& state)
{
    const BackupsFolder backups(static_cast<int>(state.range(0)));
    const std::string data = backups.folder.File(kDataFileName);
    for (auto _ : state) {
        auto dialog = std::make_unique<CRestoreBackupDlg>(ListBackups(data));
        dialog->show();
        Settle();
        if (dialog->findChild<QListWidget*>()->count() != kBackupsShown)
            state.SkipWithError("the dialog does not list every backup");
        dialog.reset();
    }
}
BENCHMARK(BM_RestoreBackupDialogShown)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_CountBackupCoins(benchmark::State& state)
{
    const BackupsFolder backups(static_cast<int>(state.range(0)));
    const std::vector<BackupEntry> listed = ListBackups(backups.folder.File(kDataFileName));
    for (auto _ : state) {
        for (const BackupEntry& entry : listed)
            if (CountDataFileCoins(entry.path) != state.range(0))
                state.SkipWithError("a backup was not counted");
    }
    ReportRowRate(state, static_cast<int>(state.range(0)) * kBackupsShown);
}
BENCHMARK(BM_CountBackupCoins)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    // The same platform everywhere, with or without a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
