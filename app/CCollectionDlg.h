#pragma once

#include <QDialog>
#include <QHash>

#include <array>
#include <exception>
#include <functional>
#include <memory>
#include <optional>

#include "app/DialogUnits.h"
#include "output/PageFiles.h"
#include "records/ChoiceList.h"
#include "records/Collection.h"
#include "storage/Preferences.h"

class CoinTableModel;
class Platform;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenuBar;
class QPlainTextEdit;
class QTableView;

// The main window: the entry form for one coin, the command buttons, the menu bar and the list
// of all coins. Every handler reads the form into the form values, does its work on the core,
// and shows the values again; the form values are the record buffer that moves coins between
// the list and the outside world.
//
// Controls carry their template ID as object name ("1005" is the Name field).
class CCollectionDlg : public QDialog {
    Q_OBJECT

public:
    enum ControlId : int {
        IDC_QUIT = 1,
        IDC_ADD = 1000,
        IDC_UPDATE = 1001,
        IDC_DELETE = 1002,
        IDC_CLEAR = 1003,
        IDC_LIST = 1004,
        IDC_NAME = 1005,
        IDC_YEAR = 1006,
        IDC_FACEVALUE = 1007,
        IDC_IMAGE = 1008,
        IDC_PURCHASEPRICE = 1009,
        IDC_PURCHASEDATE = 1010,
        IDC_CURRENTVALUE = 1011,
        IDC_VALUATIONDATE = 1012,
        IDC_MINTMARKS = 1013,
        IDC_DESCRIPTION = 1014,
        IDC_HELP = 1015,
        IDC_CONDITION = 1017,
        IDC_COUNTRY = 1019,
        IDC_ITEMCOUNT = 1021,
        IDC_CATEGORY = 1022,
        IDC_VALUEWIZARD = 1023,
        IDC_CATALOG = 1024,
        IDC_LISTPAGE = 1025,
        IDC_PURCHASEDATE_PICK = 1026,
        IDC_VALUATIONDATE_PICK = 1027,
        IDC_PREFERENCES = 1028,
        IDC_BROWSE = 1029,
        IDC_TOOLTIPS = 1040,
        IDC_IMAGE_LABEL = 1041,
        IDC_VIEW = 1042,
        IDC_STATUS = 1047,
    };

    // Builds the window from its template and initialises it: preferences, columns, data
    // file. The files are those of the current folder. `units` fixes the dialog-unit metrics
    // (tests); by default they come from the window's font.
    explicit CCollectionDlg(Platform& platform, QWidget* parent = nullptr,
                            std::optional<DialogUnits> units = std::nullopt);
    ~CCollectionDlg() override;

    QWidget* Control(int id) const { return m_controls.value(id); }
    const Collection& collection() const { return m_collection; }
    const Preferences& preferences() const { return m_prefs; }
    const DialogUnits& units() const { return m_units; }
    bool TooltipsOn() const { return m_tooltipsOn; }
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
    void LoadDataFile();
    void SaveDataFile();
    void LoadPreferences();
    void SavePreferences();
    void OnPreferences();
    void OnFileSave();
    void OnFileExit();
    void OnHelpAbout();
    void OnDestroy();

    // Leaving by a signal or the end of the desktop session: the files are written as the
    // close box writes them, then the program ends.
    void OnEndSession();

    // Runs a command as the handler of a user action: an exception it throws is reported in a
    // message box and the program goes on.
    void RunCommand(const std::function<void()>& command);
    void ReportFailure(const std::exception* failure);  // null for a failure of unknown kind

    // True when the data file was not read whole at the start: it is then never written.
    bool KeepsDataFile() const { return m_keepDataFile; }

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
    void CreateControls();
    void CreateMenu();
    void SetTooltipsOn(bool on);
    void SaveWizardItem(int row, const CoinRecord& record);
    void InsertComboEntry(QComboBox* combo, int index, std::string_view text);
    void RebuildComboLists();
    ChoiceList& ChoicesFor(CoinField field);
    QWidget* FieldControl(CoinField field) const { return m_fieldControls[FieldIndex(field)]; }
    int ControlIdOf(QObject* object) const;
    int LayoutX(int drawnPixels) const;
    int LayoutY(int drawnPixels) const;

    Platform& m_platform;
    DialogUnits m_units;

    // Values of the form.
    CoinRecord m_form;
    int m_itemCount = 0;
    int m_tooltipsSwitch = 0;
    Preferences m_prefs;
    bool m_tooltipsOn = false;

    Collection m_collection;
    std::array<ChoiceList, 3> m_choices;  // Country, Condition, Category
    CoinTableModel* m_model = nullptr;

    QMenuBar* m_menuBar = nullptr;
    QWidget* m_client = nullptr;
    std::array<QWidget*, kCoinFieldCount> m_fieldControls{};
    QHash<int, QWidget*> m_controls;
    QLineEdit* m_itemCountEdit = nullptr;
    QCheckBox* m_tooltipsCheck = nullptr;
    QTableView* m_list = nullptr;
    QSize m_laidOutSize;
    bool m_closed = false;
    bool m_keepDataFile = false;
};
