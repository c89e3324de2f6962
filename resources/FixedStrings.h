#pragma once

// The program's fixed texts: messages, captions and web addresses, worded exactly as users
// have always seen them.

#include <string_view>

namespace strings {

inline constexpr std::string_view kAppName = "numora";  // caption of questions: the program file's name
inline constexpr std::string_view kWindowTitle = "Numora";
inline constexpr std::string_view kAboutTitle = "About Numora";
inline constexpr std::string_view kAboutVersion = "Numora Version 1.05";
inline constexpr std::string_view kStatusLine = "Numora 1.05 - the coin collection catalogue";

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

inline constexpr std::string_view kNoItemsToValue =
    "No items in list.  Please enter some items to value";

}  // namespace strings
