#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "storage/Outcome.h"

// The two kinds of page the program makes.
struct PageKind {
    std::string_view outerTemplate;  // "ListOutside.htm"
    std::string_view innerTemplate;  // "ListInside.htm"
    bool catalogue;                  // output location is CATALOGUE, else LIST
    std::string_view defaultOutput;  // "list.htm"
};

inline constexpr PageKind kListPage{"ListOutside.htm", "ListInside.htm", false, "list.htm"};
inline constexpr PageKind kCataloguePage{"CatalogueOutside.htm", "CatalogueInside.htm", true,
                                         "catalogue.htm"};

// The whole content of a template. A missing template is created empty and reads as empty;
// nullopt when the file can be neither read whole nor created (a folder, a FIFO, a read
// error, no permission). Line ends are kept as they are; a
// template that is not UTF-8 is read as Windows-1252.
std::optional<std::string> ReadTemplate(const std::string& path);

class Collection;
struct Preferences;

// Composes the page (ComposePage) straight into the file, in blocks of about 1 MB, replacing
// the file safely: on failure the old page is as it was.
Outcome WritePageFile(const std::string& path, std::string_view outer, std::string_view inner,
                         const Collection& collection, const Preferences& prefs);
