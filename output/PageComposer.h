#pragma once

#include <string>
#include <string_view>

#include "output/TagStream.h"
#include "records/Collection.h"
#include "storage/Preferences.h"

// The address of the home page ("http://" host "/numora/").
std::string HomePageUrl();
// The address of the help page ("http://" host "/numora/help.htm").
std::string HelpPageUrl();

// Replaces every occurrence of `tag`, scanning left to right; inserted text is not searched
// again for the same tag; an empty tag matches nothing. Linear in the size of the result.
std::string ReplaceTag(std::string_view text, std::string_view tag, std::string_view value);

// The same, appended to `out`.
void AppendTagReplaced(std::string& out, std::string_view text, std::string_view tag, std::string_view value);

// The fixed row after the items, linking to the home page.
std::string FooterRow();

// The page of ComposePage, handed to `out` in pieces as it is made, so that it never needs to
// be whole in memory. The rows go in blocks of about 1 MB; with #DATA# more than once in the
// outer template they are made again for each.
void StreamPage(std::string_view outer, std::string_view inner, const Collection& collection,
                const Preferences& prefs, TextSink& out);

// The whole page: the inner template filled for every row from the top, the footer row, and
// the outer template with #DATA# and the seven #PREFS...# tags substituted in their order.
std::string ComposePage(std::string_view outer, std::string_view inner,
                        const Collection& collection, const Preferences& prefs);
