// The main window's files: loading and saving the collection and the preferences, the ways out,
// and what happens when a command fails.

#include "app/CCollectionDlg.h"

#include <algorithm>
#include <new>
#include <optional>
#include <span>

#include "app/ChoiceCombos.h"
#include "app/DataFilePreload.h"
#include "app/CAboutDlg.h"
#include "widgets/Platform.h"
#include "app/StartupTrace.h"
#include "records/qt/CoinTableModel.h"
#include "resources/FixedStrings.h"
#include <QDir>
#include <QFileInfo>

#include "storage/AtomicFile.h"
#include "storage/CsvFile.h"
#include "storage/CsvMapFile.h"
#include "storage/qt/CCsvMapDlg.h"
#include "storage/qt/CRestoreBackupDlg.h"
#include "storage/DataFile.h"
#include "storage/qt/CPreferencesDlg.h"
#include "widgets/QtText.h"


namespace {

// Measures the columns and gathers the drop-down lists of the records as they are read, so
// that the window has them once the last record is read instead of starting on them then.
// It may look on a thread other than the window's: it measures with a meter made on the
// thread that looks, from a font of its own, and given up on that thread when the reading
// has ended. What runs out of memory here is left to the load, which tries again and
// reports it.
class LoadFollower : public RecordsSoFar::Follower {
public:
    explicit LoadFollower(const CoinTableModel& model) : m_model(model), m_font(model.MeasuringFont()) { Forget(); }

    void Look(std::span<const CoinRecord> records) override
    {
        if (m_failed)
            return;
        try {
            if (!m_meter)
                m_meter = std::make_unique<TextWidthMeter>(m_font);
            m_model.MeasureRows(records, m_widest, *m_meter);
            m_fill->Add(records);
            m_unnamed = m_unnamed || std::any_of(records.begin(), records.end(), [](const CoinRecord& r) {
                return r.Get(CoinField::Name).empty();
            });
        } catch (const std::exception&) {
            m_failed = true;
        }
    }

    void Ended() override { m_meter.reset(); }

    void Forget() override
    {
        m_widest = {};
        m_unnamed = false;
        m_lists = {};
        m_fill.emplace(ChoiceCombos::kFields, m_lists);
    }

    bool Failed() const { return m_failed; }
    Collection::Names Names() const { return m_unnamed ? Collection::Names::MayBeEmpty : Collection::Names::AllGiven; }
    const CoinTableModel::ColumnWidths& Widest() const { return m_widest; }

    std::array<ChoiceList, 3>& FinishLists()
    {
        m_fill->Finish();
        return m_lists;
    }

private:
    const CoinTableModel& m_model;
    const QString m_font;
    std::unique_ptr<TextWidthMeter> m_meter;
    CoinTableModel::ColumnWidths m_widest{};
    std::array<ChoiceList, 3> m_lists;
    std::optional<ChoiceListFill> m_fill;
    bool m_unnamed = false;
    bool m_failed = false;
};

}  // namespace

void CCollectionDlg::FollowTheReading()
{
    auto follower = std::make_shared<LoadFollower>(*m_model);
    if (DataFilePreload::FollowAhead(kDataFileName, follower))
        m_readingFollower = std::move(follower);
}

void CCollectionDlg::LoadDataFile()
{
    ReadForm();
    std::shared_ptr<RecordsSoFar::Follower> following = std::move(m_readingFollower);
    if (!following)
        following = std::make_shared<LoadFollower>(*m_model);
    LoadFollower& follower = static_cast<LoadFollower&>(*following);
    DataFileContents contents = DataFilePreload::Take(kDataFileName, m_dataStamp, &follower);
    StartupTrace::Mark("data file read, its columns measured and lists gathered");
    try {
        if (follower.Failed()) {
            m_model->LoadBottomUp(std::move(contents.records));
            m_choices->AddAll(m_collection);
        } else {
            m_model->LoadBottomUp(std::move(contents.records), follower.Widest(), follower.Names());
            m_choices->AddLists(std::move(follower.FinishLists()));
        }
        StartupTrace::Mark("list model and drop-down lists filled");
        FitColumnWidths();
        StartupTrace::Mark("column widths fitted");
    } catch (const std::exception& e) {
        // The coins read do not fit into the window: start empty, and keep the file.
        contents.Fail(dynamic_cast<const std::bad_alloc*>(&e) ? std::string(strings::kOutOfMemory) : e.what());
        m_model->Clear();
        m_choices->Clear();
    }
    RefreshItemCount();
    ClearFields();

    // A file that was not read whole is never written over in this run, so that what could
    // not be read is still there once the fault is mended.
    if (!contents.ok) {
        m_keepDataFile = true;
        const std::string message = std::string(strings::kNotReadBefore) + contents.problem +
                                    std::string(strings::kNotReadCount) + std::to_string(m_collection.Count()) +
                                    std::string(strings::kNotReadAfter);
        m_platform.ShowError(this, ToQString(message), ToQString(strings::kNotReadCaption));
    }
}

void CCollectionDlg::SaveDataFile()
{
    // The form is emptied whether or not the file can be written.
    ClearFields();
    bool saved = false;
    try {
        saved = !m_keepDataFile && WriteCollection();
    } catch (const std::exception&) {
        saved = false;  // out of memory part way: the old file is as it was
    }
    if (!saved)
        ReportSaveFailure();
}

bool CCollectionDlg::WriteCollection()
{
    // With nobody left to ask, another program's file stays and the list goes beside it.
    const IfChanged ifChanged = m_ending ? IfChanged::KeepBoth : IfChanged::Stop;
    const CheckedSave save = SaveDataFileChecked(kDataFileName, m_collection, BackupTime::Now(), m_dataStamp, ifChanged);
    m_platform.ReportProblem(save.problem);
    if (!save)
        return false;
    if (m_ending || save.done != CheckedSave::Done::NotSaved)
        return save.done == CheckedSave::Done::Saved;

    QStringList buttons;
    for (std::string_view button : strings::kChangedFileButtons)
        buttons.append(ToQString(button));
    const std::string question = std::string(strings::kChangedFileQuestion) +
                                 std::string(m_leaving ? strings::kChangedFileCancelAtEnd : strings::kChangedFileCancel);
    switch (m_platform.AskChoice(this, ToQString(question), buttons)) {
    case 0: {
        const CheckedSave again =
            SaveDataFileChecked(kDataFileName, m_collection, BackupTime::Now(), m_dataStamp, IfChanged::Overwrite);
        m_platform.ReportProblem(again.problem);
        return again && again.done == CheckedSave::Done::Saved;
    }
    case 1:
        return TakeChangedFile();
    default: {
        if (!m_leaving)
            return true;
        const BackupResult backup = KeepCollectionAsBackup(kDataFileName, m_collection, BackupTime::Now());
        m_platform.ReportProblem(backup.problem);
        return backup && backup.kept == BackupResult::Kept::Made;
    }
    }
}

bool CCollectionDlg::TakeChangedFile()
{
    // The list is kept before it is replaced, so that it outlives the window even without Undo.
    const BackupResult backup = KeepCollectionAsBackup(kDataFileName, m_collection, BackupTime::Now());
    if (!backup || backup.kept != BackupResult::Kept::Made) {
        m_platform.ReportProblem(backup.problem);
        return false;
    }
    FileStamp stamp;
    DataFileContents theirs = ReadDataFileStamped(kDataFileName, stamp);
    if (!theirs.ok) {
        // The list stays; the next save asks again.
        m_platform.ShowError(this, ToQString(std::string(strings::kNotReadBefore) + theirs.problem + "."),
                             ToQString(strings::kNotReadCaption));
        return true;
    }
    m_history->RestoreBackup(std::move(theirs.records));
    m_choices->AddAll(m_collection);
    ShowChangedRows();
    m_dataStamp = stamp;
    return true;
}

void CCollectionDlg::ReportSaveFailure(std::string_view text)
{
    if (m_ending)
        m_endFailed = true;  // ended from outside: nothing may wait for an answer, it only counts
    else
        m_platform.ShowError(this, ToQString(text), ToQString(strings::kErrorWritingFile));
}

std::vector<std::string> CCollectionDlg::SavedFileNames() const
{
    std::vector<std::string> names = {kDataFileName, kPreferencesFileName,
                                      std::string(kListPage.defaultOutput),
                                      std::string(kCataloguePage.defaultOutput)};
    for (PrefKey key : {PrefKey::List, PrefKey::Catalogue}) {
        if (!m_prefs[key].empty() && m_prefs[key].find('/') == std::string::npos)
            names.push_back(m_prefs[key]);
    }
    return names;
}

void CCollectionDlg::LoadPreferences()
{
    ReadForm();
    PreferencesContents contents = ReadPreferencesContents(kPreferencesFileName);
    m_prefs = std::move(contents.prefs);
    if (m_prefs.TooltipsOn()) {
        m_values.tooltipsSwitch = 1;
        SetTooltipsOn(true);
    }
    ShowValues();

    // As with the data file: settings that were not read whole are never written over in this
    // run, so that the user's name, address and page choices are still there once the fault is
    // mended.
    if (!contents.ok) {
        m_keepPreferencesFile = true;
        const std::string message =
            std::string(strings::kPrefsNotReadBefore) + contents.problem + std::string(strings::kPrefsNotReadAfter);
        m_platform.ShowError(this, ToQString(message), ToQString(strings::kPrefsNotReadCaption));
    }
}

void CCollectionDlg::SavePreferences()
{
    if (m_keepPreferencesFile) {
        ReportSaveFailure(strings::kPrefsNotWritten);
        return;
    }
    Outcome saved;
    try {
        saved = WritePreferencesFile(kPreferencesFileName, m_prefs);
    } catch (const std::exception& e) {
        saved = Outcome::Failed(e.what());
    }
    if (!saved) {
        m_platform.ReportProblem(saved.problem);
        ReportSaveFailure();
    }
}

void CCollectionDlg::OnPreferences()
{
    ReadForm();
    CPreferencesDlg dialog(m_units, this);
    dialog.SetValues(m_prefs);
    m_platform.RunModal(dialog);
    dialog.GetValues(m_prefs);
    SavePreferences();
    ShowValues();
}

void CCollectionDlg::OnFileSave()
{
    ReadForm();
    SaveDataFile();
    ShowValues();
}

void CCollectionDlg::OnFileExit()
{
    ReadForm();
    m_leaving = true;
    SaveDataFile();
    SavePreferences();
    m_closed = true;  // the files are written; leaving must not write them again
    m_platform.EndProcess(0);
}

void CCollectionDlg::OnHelpAbout()
{
    ReadForm();
    CAboutDlg about(m_units, this);
    m_platform.RunModal(about);
    ShowValues();
}

void CCollectionDlg::OnDestroy()
{
    m_leaving = true;
    SavePreferences();
    SaveDataFile();
}

int CCollectionDlg::OnEndSession()
{
    // The window may be closing already, with a box about a save that failed still up: the
    // files are tried once more all the same, but only once.
    if (!m_ending) {
        m_ending = true;
        m_closed = true;
        OnDestroy();
    }
    return m_endFailed ? 1 : 0;
}

void CCollectionDlg::RunCommand(const std::function<void()>& command)
{
    try {
        command();
    } catch (const std::exception& e) {
        ReportFailure(&e);
    } catch (...) {
        ReportFailure(nullptr);
    }
    UpdateUndoActions();
}

void CCollectionDlg::ReportFailure(const std::exception* failure)
{
    std::string why(strings::kUnexpectedError);
    if (dynamic_cast<const std::bad_alloc*>(failure))
        why = strings::kOutOfMemory;
    else if (failure && *failure->what())
        why = failure->what();
    const std::string message =
        std::string(strings::kCommandFailedBefore) + why + std::string(strings::kCommandFailedAfter);
    m_platform.ShowError(this, ToQString(message), ToQString(strings::kErrorCaption));
}

void CCollectionDlg::done(int result)
{
    QDialog::done(result);
    if (m_closed)
        return;
    m_closed = true;
    OnDestroy();
}


void CCollectionDlg::OnFileRestoreBackup()
{
    ReadForm();
    CRestoreBackupDlg dialog(ListBackups(kDataFileName), this);
    m_platform.RunModal(dialog);
    const BackupEntry* chosen = dialog.Chosen();
    if (chosen) {
        // The count is named when it was known by the time the backup was chosen.
        std::string which = chosen->time.Text();
        if (chosen->coins >= 0)
            which += " (" + std::to_string(chosen->coins) +
                     std::string(chosen->coins == 1 ? strings::kOneCoin : strings::kCoins) + ")";
        const std::string question =
            std::string(strings::kRestoreQuestionBefore) + which + std::string(strings::kRestoreQuestionAfter);
        if (m_platform.AskYesNo(this, ToQString(question))) {
            DataFileContents backup = ReadDataFileContents(chosen->path, IfMissing::Leave);
            if (!backup.ok) {
                m_platform.ShowError(this, ToQString(std::string(strings::kNotReadBefore) + backup.problem + "."),
                                     ToQString(strings::kRestoreBackupTitle));
            } else {
                m_history->RestoreBackup(std::move(backup.records));
                m_choices->AddAll(m_collection);
                ShowChangedRows();
            }
        }
    }
    ShowValues();
}

void CCollectionDlg::OnFileExportCsv()
{
    ReadForm();
    const QString path = m_platform.GetSaveFileName(this, ToQString(strings::kExportCsvTitle), ToQString(strings::kCsvFilter));
    if (!path.isEmpty()) {
        const Outcome written = WriteCsvFile(ToUtf8(path), m_collection);
        if (!written) {
            m_platform.ReportProblem(written.problem);
            m_platform.ShowError(this, ToQString(strings::kSaveToFile), ToQString(strings::kErrorSavingFile));
        }
    }
    ShowValues();
}

// Asks for the map of a file with other headings, unless one was saved for them, and reads
// the file again through it; false when the user cancelled.
bool CCollectionDlg::MapCsvColumns(const std::string& path, CsvImport& import)
{
    const std::vector<std::string> headings = CsvHeadings(import);
    std::optional<CsvColumnMap> map = FindSavedCsvMap(kCsvMapFileName, headings);
    if (!map) {
        CCsvMapDlg dialog(headings, import.sampleRows, GuessCsvColumnMap(headings), this);
        if (m_platform.RunModal(dialog) != QDialog::Accepted)
            return false;
        map = dialog.Map();
        if (dialog.Remember()) {
            const Outcome saved = SaveCsvMap(kCsvMapFileName, headings, *map);
            if (!saved)
                m_platform.ShowError(this, ToQString(strings::kCsvMapSaveFailed) + ToQString(saved.problem),
                                     ToQString(strings::kImportCsvTitle));
        }
    }
    import = ReadCsvFile(path, *map);
    return true;
}

void CCollectionDlg::OnFileImportCsv()
{
    ReadForm();
    QStringList filters;
    for (std::string_view filter : strings::kCsvFilters)
        filters.append(ToQString(filter));
    // The collection's files are opened by bare name: its folder must stay the current one.
    const QString folder = QDir::currentPath();
    const QString path = m_platform.GetOpenFileName(this, filters);
    QDir::setCurrent(folder);
    if (!path.isEmpty()) {
        CsvImport import = ReadCsvFile(ToUtf8(path));
        if (NeedsCsvColumnMap(import) && !MapCsvColumns(ToUtf8(path), import)) {
            ShowValues();
            return;
        }
        if (!import.ok) {
            m_platform.ShowError(this, ToQString(import.problem), ToQString(strings::kImportCsvTitle));
        } else {
            const std::string question = CsvImportQuestion(ToUtf8(QFileInfo(path).fileName()), import) +
                                         "\n\n" + CsvColumnMapping(import);
            if (!import.records.empty() && m_platform.AskYesNo(this, ToQString(question).trimmed())) {
                // Added as loaded records are: the file's bottom row first, each on top, so
                // that the list shows them in the file's order.
                m_history->Import(std::vector<CoinRecord>(import.records.rbegin(), import.records.rend()));
                m_choices->AddAll(m_collection);
                FitColumnWidths();
                RefreshItemCount();
            } else if (import.records.empty()) {
                m_platform.ShowError(this, ToQString(question).trimmed(), ToQString(strings::kImportCsvTitle));
            }
        }
    }
    ShowValues();
}
