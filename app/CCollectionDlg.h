#pragma once

#include <QDialog>
#include <QHash>
#include <QPointer>

#include <array>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>

#include "app/FormBinding.h"
#include "output/PageFiles.h"
#include "records/Collection.h"
#include "records/CollectionHistory.h"
#include "records/CoinSearch.h"
#include "records/RecordsSoFar.h"
#include "resources/DialogTemplates.h"
#include "resources/FixedStrings.h"
#include "storage/FileStamp.h"
#include "storage/Preferences.h"
#include "widgets/DialogUnits.h"

class ChoiceCombos;
class CoinSearchField;
class CoinListView;
class CoinTableModel;
class CPictureWnd;
struct CsvImport;
class FormBinding;
class MainDialogLayout;
class Platform;
class QAction;
class QMenuBar;
class QTableView;

// The main window: the entry form for one coin, the command buttons, the menu bar and the list
// of all coins. Every handler reads the form into the form values, does its work on the core,
// and shows the values again; the form values are the record buffer that moves coins between
// the list and the outside world.
//
// Its parts live apart: the template and the menu are data (resources/DialogTemplates.h), the
// controls are built from them (ControlBuilder, BuildMenus), the form transfers are FormBinding,
// the drop-down lists ChoiceCombos, the list's set-up and widths CoinListView, and the layout on
// resize MainDialogLayout. What stays here are the handlers. Controls carry their template ID
// as object name ("1005" is the Name field).
class CCollectionDlg : public QDialog {
    Q_OBJECT

public:
    // Builds the window from its template and initialises it (OnInitDialog): preferences,
    // columns, data file. The files are those of the current folder. `units` fixes the
    // dialog-unit metrics (tests); by default they come from the window's font.
    explicit CCollectionDlg(Platform& platform, QWidget* parent = nullptr,
                            std::optional<DialogUnits> units = std::nullopt);
    ~CCollectionDlg() override;

    QWidget* control(int id) const { return m_controls.value(id); }
    QAction* action(MenuCommand command) const { return m_actions.value(command); }
    const Collection& collection() const { return m_collection; }
    const CollectionHistory& history() const { return *m_history; }
    CoinSearchField* searchField() const { return m_search; }
    const Preferences& preferences() const { return m_prefs; }
    CoinTableModel* model() const { return m_model; }

    // The form transfers.
    void ReadForm();
    void ShowValues();

    // Editing commands and their buttons and menu items.
    void OnAddButton();
    void OnUpdateButton();
    void OnDeleteButton();
    void ClearFields();
    void OnItemAdd();
    void OnItemDelete();
    void OnItemUpdate();
    void OnItemClearAll();
    void OnItemUndo();
    void OnItemRedo();

    // Finding and knowing.
    void OnFindNext();
    void OnFindPrevious();
    void ShowFound(const FindResult& result);
    void OnViewSummary();
    void OnViewPicture();
    CPictureWnd* pictureWindow() const { return m_pictureWnd; }
    void AddItem();
    bool IsDuplicateEntry();
    void UpdateItem();
    void UpdateRow(int row);
    void DeleteItem();
    void ClearAllItems();

    // The list.
    void BuildColumns();
    void FitColumnWidths();
    void ReadRowIntoForm(int row);
    void RefreshItemCount();
    void AddComboValues();
    void OnListClick();
    void OnColumnClick(int column);
    void SortByColumn(int column);
    void ReverseRows();

    // Files.
    bool OnInitDialog();
    void LoadDataFile();
    // Starts measuring and gathering the coins being read ahead of the window (see LoadDataFile).
    void FollowTheReading();
    void SaveDataFile();
    void LoadPreferences();
    void SavePreferences();
    void OnPreferences();
    void OnFileSave();
    void OnFileRestoreBackup();
    void OnFileExportCsv();
    void OnFileImportCsv();
    bool MapCsvColumns(const std::string& path, CsvImport& import);
    void OnFileExit();
    void OnHelpAbout();
    void OnDestroy();

    // Leaving by a signal or the end of the desktop session, from inside whatever box or dialog
    // is open: the files are written once more as the close box writes them, but no box is
    // shown; a collection file another program changed is left as it is and the list is kept
    // as a backup beside it. Returns the exit code for the caller to end the process with: 0
    // when both files hold what the window has, 1 otherwise. A second call writes nothing and
    // returns the same code.
    int OnEndSession();

    // Runs a command as the handler of a user action: an exception it throws is reported in a
    // message box and the program goes on.
    void RunCommand(const std::function<void()>& command);
    void ReportFailure(const std::exception* failure);  // null for a failure of unknown kind


    // Tooltips and links.
    void OnTooltipsCheck();
    void ApplyTooltipsSwitch();
    QString OnToolTipText(int controlId) const;
    void ShowHelpPage();
    void ShowWebsite();
    void ViewImage();

    // Pages, the value wizard, dates and pictures.
    void OnListButton();
    void OnCatalogButton();
    void GeneratePage(const PageKind& kind);
    void OnValueWizardButton();
    void OnPurchaseDateButton();
    void OnValuationDateButton();
    void PickDate(CoinField field);
    void OnBrowseButton();

    // Layout: places the controls that follow the window's edges for a client area of
    // cx by cy pixels.
    void OnSize(int cx, int cy);
    QSize MinimumTrackingSize() const;

protected:
    void done(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    std::vector<std::string> SavedFileNames() const;
    bool WriteCollection();
    bool TakeChangedFile();
    // A save that failed: a box with `text`, or, once ended from outside, only counted.
    void ReportSaveFailure(std::string_view text = strings::kSaveToFile);
    void UpdateUndoActions();
    void ShowChangedRows();
    void CreateWindowParts();
    void SetTooltipsOn(bool on);
    void SaveWizardItem(int row, const CoinRecord& record);
    QWidget* FieldControl(CoinField field) const;
    int ControlIdOf(QObject* object) const;

    Platform& m_platform;
    DialogUnits m_units;

    // Values of the form.
    FormValues m_values;
    CoinRecord& m_form = m_values.record;
    Preferences m_prefs;
    bool m_tooltipsOn = false;

    Collection m_collection;
    CoinTableModel* m_model = nullptr;
    // Measures and gathers the coins of the reading started before the window, on a thread of
    // its own while the window is made; taken by the load.
    std::shared_ptr<RecordsSoFar::Follower> m_readingFollower;
    std::unique_ptr<CollectionHistory> m_history;  // every change to the rows goes through it

    QMenuBar* m_menuBar = nullptr;
    QWidget* m_client = nullptr;
    QHash<int, QWidget*> m_controls;
    QHash<MenuCommand, QAction*> m_actions;
    QTableView* m_list = nullptr;
    CoinSearchField* m_search = nullptr;
    // Where the focus was when the search field took it; leaving the field goes back there.
    QPointer<QWidget> m_focusBeforeSearch;
    QMetaObject::Connection m_focusWatch;
    CPictureWnd* m_pictureWnd = nullptr;  // made the first time it is asked for
    std::unique_ptr<FormBinding> m_binding;
    std::unique_ptr<ChoiceCombos> m_choices;
    std::unique_ptr<CoinListView> m_listView;
    std::unique_ptr<MainDialogLayout> m_layout;
    QSize m_laidOutSize;
    bool m_closed = false;
    bool m_keepDataFile = false;
    FileStamp m_dataStamp;     // the collection file as it was last read or written here
    bool m_leaving = false;    // the window is closing: a save now is the last one
    bool m_ending = false;     // ended from outside: nothing may wait for an answer any more
    bool m_endFailed = false;  // a file could not be written since m_ending
    bool m_keepPreferencesFile = false;  // nmr.ini was not read whole: never written in this run
};
