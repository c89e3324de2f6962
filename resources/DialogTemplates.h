#pragma once

// The dialogs' templates: every control with its ID, kind, text and place in dialog units, in
// tab order. Plain data, so that the window code only builds what is written here.

#include <array>
#include <string_view>

#include "resources/FixedStrings.h"

enum class ControlKind {
    Edit,
    ReadOnlyEdit,
    Combo,      // editable drop-down box; its height is that of the open list
    MultiEdit,  // several lines, no word wrap, Tab leaves it
    Button,
    DefaultButton,
    List,
    Label,
    Check,
    GroupBox,
    Calendar,
};

struct TemplateControl {
    int id;  // -1 for labels without an ID of their own
    ControlKind kind;
    std::string_view text;
    int x, y, width, height;  // dialog units
};

// The main window ---------------------------------------------------------------------------

// The control IDs of the main window that the program refers to.
enum MainControlId : int {
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

inline constexpr TemplateControl kMainDialogTemplate[] = {
    {IDC_NAME, ControlKind::Edit, "", 57, 7, 83, 14},
    {IDC_YEAR, ControlKind::Edit, "", 179, 7, 83, 14},
    {IDC_FACEVALUE, ControlKind::Edit, "", 57, 21, 83, 14},
    {IDC_COUNTRY, ControlKind::Combo, "", 179, 22, 83, 168},
    {IDC_MINTMARKS, ControlKind::Edit, "", 57, 35, 83, 14},
    {IDC_CONDITION, ControlKind::Combo, "", 179, 35, 83, 172},
    {IDC_PURCHASEPRICE, ControlKind::Edit, "", 57, 49, 83, 14},
    {IDC_PURCHASEDATE, ControlKind::ReadOnlyEdit, "", 196, 49, 54, 14},
    {IDC_CURRENTVALUE, ControlKind::Edit, "", 57, 64, 83, 14},
    {IDC_VALUATIONDATE, ControlKind::ReadOnlyEdit, "", 196, 64, 54, 14},
    {IDC_CATEGORY, ControlKind::Combo, "", 57, 80, 205, 129},
    {IDC_IMAGE, ControlKind::Edit, "", 57, 94, 172, 14},
    {IDC_DESCRIPTION, ControlKind::MultiEdit, "", 57, 109, 205, 28},
    {IDC_VALUEWIZARD, ControlKind::Button, "Value Wizard", 263, 88, 50, 9},
    {IDC_ITEMCOUNT, ControlKind::ReadOnlyEdit, "", 7, 123, 40, 14},
    {IDC_QUIT, ControlKind::DefaultButton, "Quit", 263, 7, 50, 14},
    {IDC_ADD, ControlKind::Button, "Add", 263, 24, 50, 9},
    {IDC_UPDATE, ControlKind::Button, "Update", 263, 33, 50, 9},
    {IDC_DELETE, ControlKind::Button, "Delete", 263, 43, 50, 9},
    {IDC_CLEAR, ControlKind::Button, "Clear", 263, 52, 50, 9},
    {IDC_HELP, ControlKind::Button, "Help", 263, 118, 50, 9},
    {IDC_LIST, ControlKind::List, "", 7, 141, 306, 104},
    {-1, ControlKind::Label, "Name:", 7, 10, 22, 8},
    {-1, ControlKind::Label, "Year:", 145, 10, 18, 8},
    {-1, ControlKind::Label, "Face Value:", 7, 24, 39, 8},
    {-1, ControlKind::Label, "Puchase Price:", 7, 52, 49, 8},
    {-1, ControlKind::Label, "Current Value:", 7, 67, 46, 8},
    {-1, ControlKind::Label, "Valuation Date:", 145, 67, 50, 8},
    {-1, ControlKind::Label, "Description:", 7, 110, 38, 8},
    {-1, ControlKind::Label, "Purchase Date:", 145, 51, 50, 8},
    {-1, ControlKind::Label, "Condition:", 145, 38, 32, 8},
    {-1, ControlKind::Label, "Mint Marks:", 7, 38, 38, 8},
    {-1, ControlKind::Label, "Country:", 145, 24, 27, 8},
    {IDC_IMAGE_LABEL, ControlKind::Label, "Image:", 7, 97, 22, 8},
    {-1, ControlKind::Label, "Category:", 7, 83, 31, 8},
    {IDC_STATUS, ControlKind::Label, strings::kStatusLine, 7, 245, 269, 8},
    {IDC_CATALOG, ControlKind::Button, "Catalog", 263, 75, 50, 9},
    {IDC_LISTPAGE, ControlKind::Button, "List", 263, 65, 50, 9},
    {IDC_PURCHASEDATE_PICK, ControlKind::Button, "W", 251, 48, 11, 14},
    {IDC_VALUATIONDATE_PICK, ControlKind::Button, "W", 251, 64, 11, 14},
    {IDC_PREFERENCES, ControlKind::Button, "Preferences", 263, 109, 50, 9},
    {IDC_BROWSE, ControlKind::Button, "Browse", 230, 94, 31, 14},
    {IDC_TOOLTIPS, ControlKind::Check, "Tooltips", 265, 98, 41, 10},
    {IDC_VIEW, ControlKind::Button, "View", 36, 94, 22, 14},
};

// The form control of each coin field, in field order.
inline constexpr std::array<int, 13> kFieldControlIds = {
    IDC_NAME,         IDC_YEAR,          IDC_FACEVALUE, IDC_COUNTRY,  IDC_MINTMARKS,
    IDC_CONDITION,    IDC_PURCHASEPRICE, IDC_PURCHASEDATE, IDC_CURRENTVALUE, IDC_VALUATIONDATE,
    IDC_CATEGORY,     IDC_IMAGE,         IDC_DESCRIPTION,
};

// What assistive technology calls the main window's controls that have no text of their own to
// be known by; the form fields are known by their column headings.
struct ControlName {
    int id;
    std::string_view name;
};
inline constexpr ControlName kMainControlNames[] = {
    {IDC_ITEMCOUNT, "Number of coins"},
    {IDC_LIST, "Coins"},
    {IDC_PURCHASEDATE_PICK, "Pick Purchase Date"},
    {IDC_VALUATIONDATE_PICK, "Pick Valuation Date"},
};

// The main window's client area in dialog units.
inline constexpr int kMainClientWidth = 320;
inline constexpr int kMainClientHeight = 252;

// A drop-down box is as tall as an edit field when closed.
inline constexpr int kComboClosedHeight = 13;

// The menu bar ------------------------------------------------------------------------------
// The written menus keep their items, texts, mnemonics and order; what was added since comes
// after a separator, or in the View menu before Help, with mnemonics that clash with nothing.

// The commands of the menu bar; the numbers are the object names of their actions.
enum class MenuCommand : int {
    FileSave = 57603,
    FileExit = 32772,
    ItemAdd = 32773,
    ItemDelete = 32774,
    ItemUpdate = 32775,
    ItemClearAll = 32776,
    HelpAbout = 32777,
    HelpManual = 32778,
    HelpWebsite = 32779,
    FileRestoreBackup = 32780,
    FileExportCsv = 32781,
    FileImportCsv = 32782,
    ItemUndo = 32783,
    ItemRedo = 32784,
    ViewFind = 32785,
    ViewFindNext = 32786,
    ViewFindPrevious = 32787,
    ViewSummary = 32788,
    ViewPicture = 32789,
    Separator = 0,
};

struct MenuEntry {
    std::string_view menu;  // the menu's title; a new title starts a new menu
    std::string_view text;  // empty for a separator
    MenuCommand command;
};

inline constexpr MenuEntry kMainMenu[] = {
    {"&File", "&Save", MenuCommand::FileSave},
    {"&File", "&Exit", MenuCommand::FileExit},
    {"&File", "", MenuCommand::Separator},
    {"&File", "&Restore Backup...", MenuCommand::FileRestoreBackup},
    {"&File", "", MenuCommand::Separator},
    {"&File", "Ex&port CSV...", MenuCommand::FileExportCsv},
    {"&File", "&Import CSV...", MenuCommand::FileImportCsv},
    {"&Item", "&Add", MenuCommand::ItemAdd},
    {"&Item", "&Delete", MenuCommand::ItemDelete},
    {"&Item", "&Update", MenuCommand::ItemUpdate},
    {"&Item", "&Clear All", MenuCommand::ItemClearAll},
    {"&Item", "", MenuCommand::Separator},
    {"&Item", "U&ndo", MenuCommand::ItemUndo},
    {"&Item", "&Redo", MenuCommand::ItemRedo},
    {"&View", "&Find", MenuCommand::ViewFind},
    {"&View", "Find &Next", MenuCommand::ViewFindNext},
    {"&View", "Find &Previous", MenuCommand::ViewFindPrevious},
    {"&View", "", MenuCommand::Separator},
    {"&View", "&Summary...", MenuCommand::ViewSummary},
    {"&View", "", MenuCommand::Separator},
    {"&View", "P&icture", MenuCommand::ViewPicture},
    {"&Help", "&About", MenuCommand::HelpAbout},
    {"&Help", "&Manual", MenuCommand::HelpManual},
    {"&Help", "&Website", MenuCommand::HelpWebsite},
};

// The smaller dialogs -----------------------------------------------------------------------

// The controls of the small dialogs. Their numbers are the dialogs' own and may repeat a
// main window control's number; OK and Return are IDOK, 1.
enum DialogControlId : int {
    IDOK = 1,
    IDC_DATE_CALENDAR = 1053,
    IDC_WIZARD_VALUE = 1011,
    IDC_WIZARD_BACK = 1030,
    IDC_WIZARD_NEXT = 1031,
    IDC_WIZARD_NAME = 1005,
    IDC_WIZARD_DATE = 1012,
    IDC_WIZARD_FACEVALUE = 1007,
    IDC_WIZARD_YEAR = 1006,
    IDC_WIZARD_COUNTRY = 1016,
    IDC_PREFS_NAME = 1005,
    IDC_PREFS_EMAIL = 1033,
    IDC_PREFS_ADDRESS1 = 1034,
    IDC_PREFS_ADDRESS2 = 1035,
    IDC_PREFS_CITY = 1036,
    IDC_PREFS_STATE = 1037,
    IDC_PREFS_COUNTRY = 1016,
    IDC_PREFS_LIST = 1041,
    IDC_PREFS_CATALOGUE = 1042,
};

inline constexpr int kAboutWidth = 235, kAboutHeight = 55;
inline constexpr TemplateControl kAboutTemplate[] = {
    {IDOK, ControlKind::DefaultButton, "OK", 178, 7, 50, 14},
    {-1, ControlKind::Label, strings::kAboutVersion, 40, 9, 119, 8},
};
inline constexpr int kAboutIconX = 11, kAboutIconY = 17, kAboutIconSize = 20;

inline constexpr int kDateSelectWidth = 186, kDateSelectHeight = 113;
inline constexpr TemplateControl kDateSelectTemplate[] = {
    {IDC_DATE_CALENDAR, ControlKind::Calendar, "", 7, 7, 134, 97},
    {IDOK, ControlKind::DefaultButton, "Return", 142, 7, 37, 14},
};

inline constexpr int kValueWizardWidth = 186, kValueWizardHeight = 73;
inline constexpr TemplateControl kValueWizardTemplate[] = {
    {IDC_WIZARD_VALUE, ControlKind::Edit, "", 50, 34, 38, 14},
    {IDC_WIZARD_BACK, ControlKind::Button, "<< Back", 7, 52, 42, 14},
    {IDC_WIZARD_NEXT, ControlKind::Button, "Next >>", 49, 52, 42, 14},
    {IDOK, ControlKind::DefaultButton, "OK", 137, 52, 42, 14},
    {IDC_WIZARD_NAME, ControlKind::ReadOnlyEdit, "", 41, 4, 47, 14},
    {-1, ControlKind::Label, "Name:", 7, 7, 22, 8},
    {-1, ControlKind::Label, "Year:", 93, 7, 18, 8},
    {-1, ControlKind::Label, "Face Value:", 7, 22, 39, 8},
    {-1, ControlKind::Label, "Country:", 93, 22, 27, 8},
    {IDC_WIZARD_DATE, ControlKind::ReadOnlyEdit, "", 125, 34, 54, 14},
    {-1, ControlKind::Label, "Value:", 7, 37, 21, 8},
    {-1, ControlKind::Label, "Date:", 93, 37, 18, 8},
    {IDC_WIZARD_FACEVALUE, ControlKind::ReadOnlyEdit, "", 50, 19, 38, 14},
    {IDC_WIZARD_YEAR, ControlKind::ReadOnlyEdit, "", 125, 4, 54, 14},
    {IDC_WIZARD_COUNTRY, ControlKind::ReadOnlyEdit, "", 125, 19, 54, 14},
};

inline constexpr int kPreferencesWidth = 208, kPreferencesHeight = 175;
// Return first: it is the first tab stop, so Enter closes the dialog at once. The group boxes
// are built last and lie behind the fields they frame.
inline constexpr TemplateControl kPreferencesTemplate[] = {
    {IDOK, ControlKind::DefaultButton, "Return", 151, 150, 50, 14},
    {IDC_PREFS_NAME, ControlKind::Edit, "", 50, 9, 144, 14},
    {-1, ControlKind::Label, "Name:", 11, 12, 37, 8},
    {IDC_PREFS_EMAIL, ControlKind::Edit, "", 50, 25, 144, 14},
    {-1, ControlKind::Label, "Email:", 11, 28, 37, 8},
    {IDC_PREFS_ADDRESS1, ControlKind::Edit, "", 50, 40, 144, 14},
    {-1, ControlKind::Label, "Address 1:", 11, 43, 37, 8},
    {IDC_PREFS_ADDRESS2, ControlKind::Edit, "", 50, 55, 144, 14},
    {-1, ControlKind::Label, "Address 2:", 11, 58, 37, 8},
    {IDC_PREFS_CITY, ControlKind::Edit, "", 50, 69, 57, 14},
    {-1, ControlKind::Label, "City:", 11, 72, 37, 8},
    {IDC_PREFS_STATE, ControlKind::Edit, "", 132, 69, 62, 14},
    {-1, ControlKind::Label, "State:", 109, 72, 21, 8},
    {IDC_PREFS_COUNTRY, ControlKind::Edit, "", 50, 83, 144, 14},
    {-1, ControlKind::Label, "Country:", 11, 86, 37, 8},
    {IDC_PREFS_LIST, ControlKind::Edit, "", 50, 113, 144, 14},
    {-1, ControlKind::Label, "List:", 11, 116, 37, 8},
    {IDC_PREFS_CATALOGUE, ControlKind::Edit, "", 50, 128, 144, 14},
    {-1, ControlKind::Label, "Catalogue:", 11, 131, 37, 8},
    {-1, ControlKind::Label, "Preferences are automatically saved when", 7, 149, 0, 0},
    {-1, ControlKind::Label, "you press return.", 9, 159, 0, 0},
    {-1, ControlKind::GroupBox, "Template Variables:", 7, 0, 194, 101},
    {-1, ControlKind::GroupBox, "File Output Locations:", 7, 104, 194, 43},
};
