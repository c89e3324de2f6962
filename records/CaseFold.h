#pragma once

#include <string>
#include <string_view>

// The one case fold of the program, shared by the drop-down lists (which values are the same
// entry) and the search (which texts match).

// The lower-case letter of a character: ASCII, the Latin-1 and Latin Extended-A letters, Greek
// and Cyrillic; any other character is returned as it is. A letter and its lower-case form
// take the same number of bytes in UTF-8.
char32_t FoldCharacter(char32_t c);

// The text with letters turned to lower case, for comparisons that ignore letter case. Other
// bytes, including bytes that are not UTF-8, are kept. For UTF-8 text the result has as many
// bytes as the text and each character keeps its place.
std::string FoldCase(std::string_view text);
