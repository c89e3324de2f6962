#pragma once

#include <string>
#include <vector>

#include "records/Amount.h"
#include "records/Collection.h"

// The total of one amount field (Purchase Price or Current Value) over some coins. Values are
// read with ReadAmount; the stored texts are not changed.
struct AmountTotal {
    Cents total = 0;     // the sum of the values read (held at the limits of Cents)
    int read = 0;        // values read as amounts
    int unreadable = 0;  // values with text that is not an amount ("free", "10-20")
    int empty = 0;       // values that are empty or only spaces
};

// The coins that share one value of Country, Category or Condition. Values that differ only in
// letter case (as the drop-down lists take them) form one group.
struct SummaryGroup {
    std::string name;  // the value as written in the highest row that has it; empty: no value
    int coins = 0;
    AmountTotal purchase;
    AmountTotal current;
};

// The purchases of one year of Purchase Date.
struct YearTotal {
    int year = 0;
    int coins = 0;
    AmountTotal purchase;
};

// What a collection holds and what it is worth.
struct CollectionSummary {
    int coins = 0;
    AmountTotal purchase;
    AmountTotal current;
    Cents difference = 0;  // current.total less purchase.total

    // Ordered by name as the drop-down lists are, the group without a value last.
    std::vector<SummaryGroup> byCountry;
    std::vector<SummaryGroup> byCategory;
    std::vector<SummaryGroup> byCondition;

    // By the year a Purchase Date begins with (four digits, after any spaces: "2005-03-07",
    // "2005"), ascending; coins whose date begins otherwise or is empty are in `undated`.
    std::vector<YearTotal> purchaseByYear;
    YearTotal undated;
};

CollectionSummary SummarizeCollection(const Collection& collection);

// One bar of a chart: its label, its value in the unit shown (coins, or whole currency units
// for amounts) and that value as text ("17", "1,234.50").
struct ChartBar {
    std::string label;
    double value = 0;
    std::string valueText;
};

// The label of a group without a value.
inline constexpr char kNoValueLabel[] = "(none)";

// The current value by category, largest first. When there are more than `maxBars`
// categories the smallest are added up in a last bar "Other".
std::vector<ChartBar> CurrentValueByCategory(const CollectionSummary& summary, int maxBars = 12);

// The number of coins by country, most first, the rest as for CurrentValueByCategory.
std::vector<ChartBar> CoinsByCountry(const CollectionSummary& summary, int maxBars = 12);

// The purchase total of each year, in order of the years, years without purchases left out.
std::vector<ChartBar> PurchaseByYear(const CollectionSummary& summary);
