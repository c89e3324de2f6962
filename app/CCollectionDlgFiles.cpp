// The main window's files: loading and saving the collection and the preferences, the ways out,
// and what happens when a command fails.

#include "app/CCollectionDlg.h"

#include <new>

#include "app/ChoiceCombos.h"
#include "app/CAboutDlg.h"
#include "app/Platform.h"
#include "records/qt/CoinTableModel.h"
#include "resources/FixedStrings.h"
#include "storage/AtomicFile.h"
#include "storage/DataFile.h"
#include "storage/qt/CPreferencesDlg.h"
#include "widgets/QtText.h"

namespace {

QString Text(std::string_view s) { return ToQString(s); }

}  // namespace

void CCollectionDlg::LoadDataFile()
{
    ReadForm();
    DataFileContents contents = ReadDataFileContents(kDataFileName);
    try {
        m_model->LoadBottomUp(std::move(contents.records));
        m_choices->AddAll(m_collection);
        FitColumnWidths();
    } catch (const std::exception& e) {
        // The coins read do not fit into the window: start empty, and keep the file.
        contents.whole = false;
        contents.problem = dynamic_cast<const std::bad_alloc*>(&e) ? strings::kOutOfMemory : e.what();
        m_model->Clear();
        m_choices->Clear();
    }
    RefreshItemCount();
    ClearFields();

    // A file that was not read whole is never written over in this run, so that what could
    // not be read is still there once the fault is mended.
    if (!contents.whole) {
        m_keepDataFile = true;
        const std::string message = std::string(strings::kNotReadBefore) + contents.problem +
                                    std::string(strings::kNotReadCount) + std::to_string(m_collection.Count()) +
                                    std::string(strings::kNotReadAfter);
        m_platform.ShowError(this, Text(message), Text(strings::kNotReadCaption));
    }
}

void CCollectionDlg::SaveDataFile()
{
    // The form is emptied whether or not the file can be written.
    ClearFields();
    bool saved = false;
    try {
        saved = !m_keepDataFile && WriteDataFile(kDataFileName, m_collection);
    } catch (const std::exception&) {
        saved = false;  // out of memory part way: the old file is as it was
    }
    if (!saved)
        m_platform.ShowError(this, Text(strings::kSaveToFile), Text(strings::kErrorWritingFile));
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
    m_prefs = ReadPreferencesFile(kPreferencesFileName);
    if (m_prefs.TooltipsOn()) {
        m_values.tooltipsSwitch = 1;
        SetTooltipsOn(true);
    }
    ShowValues();
}

void CCollectionDlg::SavePreferences()
{
    bool saved = false;
    try {
        saved = WritePreferencesFile(kPreferencesFileName, m_prefs).ok;
    } catch (const std::exception&) {
        saved = false;
    }
    if (!saved)
        m_platform.ShowError(this, Text(strings::kSaveToFile), Text(strings::kErrorWritingFile));
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
    SavePreferences();
    SaveDataFile();
}

void CCollectionDlg::OnEndSession()
{
    if (m_closed)
        return;
    m_closed = true;
    OnDestroy();
    hide();
    m_platform.EndProcess(0);
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
}

void CCollectionDlg::ReportFailure(const std::exception* failure)
{
    std::string why = "an unexpected error";
    if (dynamic_cast<const std::bad_alloc*>(failure))
        why = strings::kOutOfMemory;
    else if (failure && *failure->what())
        why = failure->what();
    const std::string message =
        std::string(strings::kCommandFailedBefore) + why + std::string(strings::kCommandFailedAfter);
    m_platform.ShowError(this, Text(message), Text(strings::kErrorCaption));
}

void CCollectionDlg::done(int result)
{
    QDialog::done(result);
    if (m_closed)
        return;
    m_closed = true;
    OnDestroy();
}

