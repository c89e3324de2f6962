#pragma once

#include <string>
#include <string_view>

#include "output/CollectionSummary.h"
#include "storage/Outcome.h"

// The summary as a page that stands on its own: the totals, the tables by country, category
// and condition, the purchases by year, and the three charts drawn as inline SVG. It loads
// nothing (no scripts, fonts, pictures or styles from elsewhere), reads in light and dark
// colour schemes and prints. Every text from the collection is escaped. `title` heads the page.
std::string SummaryPageHtml(const CollectionSummary& summary, std::string_view title);

// Writes SummaryPageHtml to `path`, replacing the file safely.
Outcome WriteSummaryPage(const std::string& path, const CollectionSummary& summary,
                            std::string_view title);
