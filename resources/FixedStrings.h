#pragma once

// The program's fixed texts: messages, captions and web addresses, in one place so that each
// is worded once. The older ones keep their wording, spelling slips included, since users and
// their scripts may look for them.

#include <initializer_list>
#include <string>
#include <string_view>

#include "resources/Version.h"

namespace strings {

inline constexpr std::string_view kWindowTitle = "Numora";
inline constexpr std::string_view kAboutTitle = "About Numora";
inline constexpr std::string_view kDateSelectTitle = "Date Selection";
inline constexpr std::string_view kValueWizardTitle = "Value Wizard";
inline constexpr std::string_view kPreferencesTitle = "Preferences";
inline constexpr std::string_view kAboutVersion = "Numora Version " NUMORA_VERSION;
inline constexpr std::string_view kStatusLine = "Numora " NUMORA_VERSION " - the coin collection catalogue";

// The maker's web server; the help and home pages, and the link in generated pages. The
// ".example" top-level domain is reserved and belongs to no one.
inline constexpr std::string_view kWebHost = "www.numora.example";
inline constexpr std::string_view kHelpPath = "/numora/help.htm";
inline constexpr std::string_view kHomePath = "/numora/";

inline constexpr std::string_view kErrorCaption = "Error";
inline constexpr std::string_view kBlankName = "Course Name Blank.\r\nNo entry added.";
inline constexpr std::string_view kDuplicateQuestion =
    "This entry is already in the list.\r\nDo you really want to add this item?";
inline constexpr std::string_view kClearAllQuestion = "Are you sure that you want to clear list?";

inline constexpr std::string_view kSaveToFile = "Save to File";
inline constexpr std::string_view kErrorWritingFile = "Error Writing File";
inline constexpr std::string_view kErrorSavingFile = "Error Saving File.";
inline constexpr std::string_view kErrorLoadingFile = "Error loading file";

// The question after a page was written; the page's location goes between the parts.
inline constexpr std::string_view kPageWrittenBefore = "Your Page Has Been Generated.\nYour page was written to:\n";
inline constexpr std::string_view kPageWrittenAfter = "\nWould you like to view it?";

// The picture browser: its filters, and the window title it leaves with the chosen file after.
inline constexpr std::string_view kPictureFilters[] = {
    "JPG Files (*.jpg)", "GIF Files (*.gif)", "PNG Files (*.png)", "BMP Files (*.bmp)", "All Files (*.*)",
};
inline constexpr std::string_view kBrowsedTitle = "Vomek: ";

inline constexpr std::string_view kNoItemsToValue =
    "No items in list.  Please enter some items to value";

// Why a file could not be read, as the messages that name the file give it.
inline constexpr std::string_view kReadNotAllowed = "you are not allowed to read it";
inline constexpr std::string_view kReadTooLarge = "it is larger than the memory can hold";
inline constexpr std::string_view kReadFolder = "it is a folder, not a file";
inline constexpr std::string_view kReadNotOrdinary = "it is not an ordinary file (a pipe, a socket or a device)";
inline constexpr std::string_view kReadErrorPartWay = "a read error stopped the reading part way through";
inline constexpr std::string_view kReadMissing = "there is no such file";
inline constexpr std::string_view kReadCoinTooLarge = "a coin in it holds more text than a coin can hold";

// A file chosen for reading that could not be read; the file and the reason go between the
// parts.
inline constexpr std::string_view kFileNotReadBefore = "The file \"";
inline constexpr std::string_view kFileNotReadAfter = "\" could not be read: ";

// A preferences file that exists but could not be read; the reason goes between the parts.
inline constexpr std::string_view kPrefsNotReadCaption = "Preferences Not Read";
inline constexpr std::string_view kPrefsNotReadBefore = "The preferences file \"nmr.ini\" could not be read: ";
inline constexpr std::string_view kPrefsNotReadAfter =
    ".\n\nNumora starts with the default preferences. The file will be left as it is: nothing "
    "is saved to it until Numora is started again and can read it.";
// Each save of those preferences that is refused.
inline constexpr std::string_view kPrefsNotWritten =
    "The preferences were not written: \"nmr.ini\" could not be read when Numora started, so "
    "it is left as it is. The changes last until Numora ends.";

// A data file that exists but could not be read whole; the reason and the count of coins read
// go between the parts.
inline constexpr std::string_view kNotReadCaption = "Collection Not Read";
inline constexpr std::string_view kNotReadBefore = "The collection file \"nmr.dat\" could not be read whole: ";
inline constexpr std::string_view kNotReadCount = ".\n\nCoins read: ";
inline constexpr std::string_view kNotReadAfter =
    "\n\nThe file will be left as it is: nothing is saved to it until Numora is started "
    "again and can read it.";

// A command that failed part way; the collection is as it was before it.
inline constexpr std::string_view kCommandFailedBefore = "The command could not be completed: ";
inline constexpr std::string_view kCommandFailedAfter = ".\nThe collection is as it was before the command.";
inline constexpr std::string_view kOutOfMemory = "there is not enough memory";

// A second window on the same collection folder.
inline constexpr std::string_view kAlreadyOpen =
    "This collection is already open in another Numora window.\n"
    "Use that window, or close it before starting Numora here again.";

// Undo and Redo: the menu texts, followed by the name of the step.
inline constexpr std::string_view kUndoPrefix = "U&ndo ";
inline constexpr std::string_view kRedoPrefix = "&Redo ";

// Restoring a backup.
inline constexpr std::string_view kRestoreBackupTitle = "Restore Backup";
inline constexpr std::string_view kChooseBackup = "Choose the backup to restore into the list:";
inline constexpr std::string_view kNoBackups = "There are no backups of this collection yet.";
inline constexpr std::string_view kRestoreButton = "Restore";
inline constexpr std::string_view kOneCoin = " coin";
inline constexpr std::string_view kCoins = " coins";
inline constexpr std::string_view kRestoreQuestionBefore = "Replace the coins in the list with the backup of ";
inline constexpr std::string_view kRestoreQuestionAfter =
    "?\nUndo takes the restore back; the collection file is written at the next save.";

// The collection file was written by another program since it was read or saved: the question
// before a save, its buttons in order, and the last sentence, which says what Cancel does
// during work or at the end.
inline constexpr std::string_view kChangedFileQuestion =
    "The collection file \"nmr.dat\" was changed by another program since Numora last read "
    "or saved it.\n\n"
    "Keep Mine saves the list over it; the other version is kept in the backups folder first.\n"
    "Take Theirs puts the other version into the list; the list as it is now is kept in the "
    "backups folder first, and Undo takes it back.\n";
inline constexpr std::string_view kChangedFileCancel = "Cancel saves nothing now.";
inline constexpr std::string_view kChangedFileCancelAtEnd =
    "Cancel leaves the file as it is and keeps the list in the backups folder.";
inline constexpr std::string_view kChangedFileButtons[] = {"Keep &Mine", "Take &Theirs", "Cancel"};

// Spreadsheets.
inline constexpr std::string_view kExportCsvTitle = "Export CSV";
inline constexpr std::string_view kImportCsvTitle = "Import CSV";
inline constexpr std::string_view kCsvFilter = "CSV Files (*.csv)";
inline constexpr std::string_view kCsvFilters[] = {"CSV Files (*.csv)", "All Files (*.*)"};

// The picture window and the map of a CSV file's columns.
inline constexpr std::string_view kPictureTitle = "Picture";
inline constexpr std::string_view kPictureNone = "No picture: the Image field is empty.";
inline constexpr std::string_view kPictureMissing = "No such file: ";
inline constexpr std::string_view kPictureNotAFile = "Not a picture file: ";
inline constexpr std::string_view kPictureUnreadable = "The file cannot be read: ";
inline constexpr std::string_view kPictureUndecodable = "Not a picture Numora can show: ";
inline constexpr std::string_view kPictureTooLarge = "Too large to show: ";
inline constexpr std::string_view kPictureLoading = "Loading ";
inline constexpr std::string_view kPictureAddress = "A picture on the web is opened with View: ";
inline constexpr std::string_view kCsvMapTitle = "Import CSV: Columns";
inline constexpr std::string_view kCsvMapIntro =
    "The columns of this file have other names than Numora's. Choose the field each column goes into.";
inline constexpr std::string_view kCsvMapColumn = "Column";
inline constexpr std::string_view kCsvMapSample = "First values";
inline constexpr std::string_view kCsvMapField = "Field";
inline constexpr std::string_view kCsvMapLeaveOut = "Leave out";
inline constexpr std::string_view kCsvMapJoinedLines = "These columns are joined, one line each: ";
inline constexpr std::string_view kCsvMapJoinedSpace = "These columns are joined with a space: ";
inline constexpr std::string_view kCsvMapNoName = "Choose the column that holds the Name.";
inline constexpr std::string_view kCsvMapRemember = "&Remember these columns for the next import";
inline constexpr std::string_view kCsvMapSaveFailed = "The column map could not be saved: ";

// The search field in the menu bar.
inline constexpr std::string_view kFindPlaceholder = "Find";
inline constexpr std::string_view kFindTip =
    "Find a coin: Enter or F3 for the next match, Shift+Enter or Shift+F3 for the previous "
    "one, Escape to go back to the list.";

// The summary dialog.
inline constexpr std::string_view kSummaryTitle = "Collection Summary";
// The summary's plug-in could not be had: kSummaryUnavailable, the reason, ".".
inline constexpr std::string_view kSummaryUnavailable = "The summary cannot be shown: ";
inline constexpr std::string_view kSummaryPluginNotFound = " was not found in ";
// The window's module could not be had: kWindowModuleFailed and the reason, on the terminal;
// not found, the reason is the module's file, kWindowModuleNotFound and the folders looked in.
inline constexpr std::string_view kWindowModuleFailed = "numora: the window could not be loaded: ";
inline constexpr std::string_view kWindowModuleNotFound = " was not found in ";
inline constexpr std::string_view kSummaryCoins = "Coins";
inline constexpr std::string_view kSummaryPurchase = "Purchase Price";
inline constexpr std::string_view kSummaryCurrent = "Current Value";
inline constexpr std::string_view kSummaryDifference = "Difference";
inline constexpr std::string_view kSummaryDifferenceNote = "Current Value less Purchase Price";
inline constexpr std::string_view kSummaryTotal = "Total";
inline constexpr std::string_view kSummaryRead = "Read";
inline constexpr std::string_view kSummaryUnreadable = "Not an amount";
inline constexpr std::string_view kSummaryEmpty = "Empty";
inline constexpr std::string_view kSummaryCurrencyNote =
    "Currency signs are ignored, so amounts in different currencies are added as they are "
    "written.";
inline constexpr std::string_view kSummaryGroupBy = "&Group by:";
inline constexpr std::string_view kSummaryGroupings[] = {"Country", "Category", "Condition"};
inline constexpr std::string_view kSummaryTableTab = "&Table";
inline constexpr std::string_view kSummaryChartsTab = "C&harts";
inline constexpr std::string_view kChartValueByCategory = "Current Value by Category";
inline constexpr std::string_view kChartCoinsByCountry = "Coins by Country";
inline constexpr std::string_view kChartPurchaseByYear = "Purchase Price by year of Purchase Date";
inline constexpr std::string_view kSaveAsHtml = "&Save as HTML...";
inline constexpr std::string_view kHtmlFilter = "HTML Files (*.htm *.html)";

// CSV import: why a file is refused (after "Line N: " where a line is known), and the question
// before the coins are added.
inline constexpr std::string_view kCsvOutOfMemory = "The file could not be read: out of memory.";
inline constexpr std::string_view kCsvStrayQuote =
    "a quote inside a field that does not begin with a quote. A field that holds quotes must be "
    "enclosed in quotes, and each quote in it doubled.";
inline constexpr std::string_view kCsvTextAfterQuote =
    "text after the closing quote of a field. A quote inside a quoted field must be doubled.";
inline constexpr std::string_view kCsvUnclosedQuote =
    "a quote opens a field here and is not closed before the end of the file.";
inline constexpr std::string_view kCsvEmpty = "The file is empty.";
inline constexpr std::string_view kCsvNoNameColumn =
    "no column is called \"Name\". The first row must hold the column names, such as Name, Year, "
    "Face Value and Country.";
inline constexpr std::string_view kCsvRowLongerBefore = "this row has ";
inline constexpr std::string_view kCsvRowLongerMiddle = " fields, but the header row names only ";
inline constexpr std::string_view kCsvRowLongerAfter = " columns.";
inline constexpr std::string_view kCsvLine = "Line ";
inline constexpr std::string_view kCsvUtf16 = "The file is in UTF-16. Save it as CSV in UTF-8 and import it again.";
inline constexpr std::string_view kCsvNulByte =
    "the file holds a NUL byte, which no text holds. It is not a CSV file in UTF-8 or Windows-1252.";
inline constexpr std::string_view kCsvAskBefore = "Add ";
inline constexpr std::string_view kCsvAskCoin = " coin";
inline constexpr std::string_view kCsvAskCoins = " coins";
inline constexpr std::string_view kCsvAskFrom = " from \"";
inline constexpr std::string_view kCsvAskAfter = "\"?";
inline constexpr std::string_view kCsvLeftOut = "\n\nThese columns match no field and are left out: ";
inline constexpr std::string_view kCsvNoField = "(no field)";

// The summary page.
inline constexpr std::string_view kSummaryPageUnreadable = " not readable as an amount";
inline constexpr std::string_view kSummaryPageEmpty = " empty";
inline constexpr std::string_view kSummaryPurchaseTotal = "Purchase Price, total";
inline constexpr std::string_view kSummaryCurrentTotal = "Current Value, total";
inline constexpr std::string_view kSummaryPurchasesByYear = "Purchases by year";
inline constexpr std::string_view kSummaryYearOfPurchase = "Year of Purchase Date";
inline constexpr std::string_view kSummaryNoYear = "no year";
inline constexpr std::string_view kSummaryNothing = "Nothing to show.";
inline constexpr std::string_view kSummaryAmountsNote =
    "Amounts are read from the texts of Purchase Price and Current Value; currency signs are "
    "ignored, so amounts in different currencies are added as they are written.";
inline constexpr std::string_view kSummaryByCountry = "By Country";
inline constexpr std::string_view kSummaryByCategory = "By Category";
inline constexpr std::string_view kSummaryByCondition = "By Condition";

// The column headings of the list, in the order of its columns; the page templates and the CSV
// header row use the same names.
inline constexpr std::string_view kColumnHeadings[] = {
    "Name",          "Year",          "Face Value", "Country", "Mint Marks",
    "Condition",     "Purchase Price", "Purchase Date", "Current Value", "Valuation Date",
    "Category",      "Image",         "Description",
};

// The names of the steps that Undo and Redo take back and do again.
inline constexpr std::string_view kStepAdd = "Add";
inline constexpr std::string_view kStepUpdate = "Update";
inline constexpr std::string_view kStepDelete = "Delete";
inline constexpr std::string_view kStepClearAll = "Clear All";
inline constexpr std::string_view kStepSort = "Sort";
inline constexpr std::string_view kStepValueWizard = "Value Wizard";
inline constexpr std::string_view kStepRestoreBackup = "Restore Backup";
inline constexpr std::string_view kStepImport = "Import";

// Where a search stands, beside the search field.
inline constexpr std::string_view kNoMatch = "No match";
inline constexpr std::string_view kMatchOfCount = "%1 of %2";
inline constexpr std::string_view kOneMatch = "1 match";
inline constexpr std::string_view kMatches = "%1 matches";

// The last row of a generated page; the home page's address goes in.
inline constexpr std::string_view kPageFooter =
    "<tr><td colspan=6>Generated by <a href=%1>Numora</a>.</td></tr>";

// A failure that no more particular message covers.
inline constexpr std::string_view kUnexpectedError = "an unexpected error";
inline constexpr std::string_view kWizardHasNoItem = "the value wizard has no item to show";
inline constexpr std::string_view kWizardNotRunning = "the value wizard walk is not running";

// The command line: the help text, the version, and why a start-up ends before the window.
inline constexpr std::string_view kUsage =
    "Usage: numora [--default-collection] [FOLDER | FILE]\n"
    "Catalogues a coin collection. A collection is a folder: the coins in nmr.dat, the\n"
    "preferences in nmr.ini and the page templates beside them.\n"
    "\n"
    "  FOLDER                work on the collection in this folder\n"
    "  FILE                  work on this collection file (nmr.dat) in its folder\n"
    "  --default-collection  without FOLDER or FILE, work in your own collection\n"
    "                        folder, Numora in your documents folder; it is made on\n"
    "                        first use and given the sample page templates\n"
    "  -h, --help            show this text and end\n"
    "  --version             show the version and end\n"
    "\n"
    "Without FOLDER or FILE, Numora works in the current folder.\n";
inline constexpr std::string_view kVersionLine = "Numora %1\n";
inline constexpr std::string_view kMessageLine = "numora: %1\n";
inline constexpr std::string_view kTryHelp = "%1\nTry \"numora --help\" for more information.";
inline constexpr std::string_view kEmptyPathArgument = "an empty FOLDER or FILE name";
inline constexpr std::string_view kTwoPathArguments = "give one FOLDER or FILE at most, not \"%1\" and \"%2\"";
inline constexpr std::string_view kUnknownOption = "unknown option \"%1\"";
inline constexpr std::string_view kNoSuchPath = "%1: no such folder or file";
inline constexpr std::string_view kPathProblem = "%1: %2";
inline constexpr std::string_view kNotACollection = "%1: not a Numora collection; Numora works on the file %2 of a folder";
inline constexpr std::string_view kCannotMakeFolder = "cannot make the folder %1: %2";
inline constexpr std::string_view kFileHasThatName = "a file has that name";
inline constexpr std::string_view kCannotReadTemplates = "cannot read the sample templates in %1: %2";
inline constexpr std::string_view kNoHomeFolder = "cannot find your home folder";
inline constexpr std::string_view kNoSampleTemplates =
    "numora: the sample page templates were not found; pages start from empty templates\n";
inline constexpr std::string_view kCannotEnterFolder = "cannot enter the folder %1: %2";
inline constexpr std::string_view kCannotOpenCollection = "Numora cannot open the collection.\n\n%1";

// Why a file was not written or copied, for the messages that give a reason and for the log.
inline constexpr std::string_view kCannotRead = "cannot read %1: %2";
inline constexpr std::string_view kCannotWrite = "cannot write %1: %2";
inline constexpr std::string_view kCannotReadLink = "cannot read the link %1: %2";
inline constexpr std::string_view kLinkTooLong = "too long";
inline constexpr std::string_view kTooManyLinks = "too many symbolic links: %1";
inline constexpr std::string_view kIsAFolder = "%1 is a folder";
inline constexpr std::string_view kNotAnOrdinaryFile = "%1 is not an ordinary file";
inline constexpr std::string_view kIsReadOnly = "%1 is read-only";
inline constexpr std::string_view kMayNotWrite = "you may not write %1: %2";
inline constexpr std::string_view kCannotCreateTemporary = "cannot create a temporary file in %1: %2";
inline constexpr std::string_view kNoTemporaryName = "cannot find a free temporary name in %1";
inline constexpr std::string_view kCannotSetPermissions = "cannot set the permissions of %1: %2";
inline constexpr std::string_view kAlreadyCommitted = "already committed";
inline constexpr std::string_view kNotOpen = "not open";
inline constexpr std::string_view kCannotSync = "cannot sync %1: %2";
inline constexpr std::string_view kCannotClose = "cannot close %1: %2";
inline constexpr std::string_view kCannotRename = "cannot rename %1 to %2: %3";
inline constexpr std::string_view kCannotCreate = "cannot create %1: %2";
inline constexpr std::string_view kCannotCopy = "cannot copy %1 to %2: %3";
inline constexpr std::string_view kCannotLookAt = "cannot look at %1: %2";
inline constexpr std::string_view kNotAFolder = "%1 is not a folder";
inline constexpr std::string_view kNoBackupName = "no free backup name for %1 in %2";
inline constexpr std::string_view kCannotLinkNorCopy = "cannot link %1 into %2 (%3), nor %4";
inline constexpr std::string_view kCannotLink = "cannot link %1 to %2: %3";
inline constexpr std::string_view kCannotLinkBackup = "cannot link %1 as a backup: %2";
inline constexpr std::string_view kReplacedNotKept = "the file it replaces could not be kept: %1";

// `text` with %1 to %9 replaced by `parts` in order; a % followed by anything else stays.
inline std::string Fill(std::string_view text, std::initializer_list<std::string_view> parts)
{
    std::string out;
    out.reserve(text.size() + 64);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::size_t n = i + 1 < text.size() && text[i] == '%' ? static_cast<std::size_t>(text[i + 1] - '1') : 9;
        if (n < parts.size()) {
            out += parts.begin()[n];
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace strings
