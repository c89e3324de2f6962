#include "output/SummaryPage.h"

#include <algorithm>

#include "resources/FixedStrings.h"
#include "storage/AtomicFile.h"

namespace {

void AppendEscaped(std::string& out, std::string_view text)
{
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        default: out += c; break;
        }
    }
}

std::string Escaped(std::string_view text)
{
    std::string out;
    AppendEscaped(out, text);
    return out;
}

constexpr std::string_view kStyle = R"(<style>
:root { color-scheme: light dark; --fg: #1d1d1f; --bg: #ffffff; --muted: #5f6368;
        --rule: #d0d4da; --bar: #2f6fb5; --stripe: #f3f5f8; }
@media (prefers-color-scheme: dark) {
  :root { --fg: #e8eaed; --bg: #1b1c1e; --muted: #a8adb4; --rule: #44474c; --bar: #78aef0;
          --stripe: #25272a; }
}
body { font-family: system-ui, sans-serif; color: var(--fg); background: var(--bg);
       margin: 2rem auto; max-width: 60rem; padding: 0 1rem; line-height: 1.4; }
h1 { font-size: 1.6rem; } h2 { font-size: 1.2rem; margin-top: 2rem; }
table { border-collapse: collapse; margin: 0.5rem 0; }
th, td { padding: 0.25rem 0.75rem; border-bottom: 1px solid var(--rule); text-align: left; }
td.n, th.n { text-align: right; font-variant-numeric: tabular-nums; }
tbody tr:nth-child(even) { background: var(--stripe); }
.note { color: var(--muted); font-size: 0.9rem; }
svg { max-width: 100%; height: auto; }
svg text { fill: var(--fg); font: 12px system-ui, sans-serif; }
svg rect.bar { fill: var(--bar); }
@media print { body { margin: 0; max-width: none; } }
</style>
)";

// The counts of values that are not in a total, as a note: "3 not readable, 12 empty".
std::string Unread(const AmountTotal& total)
{
    std::string note;
    if (total.unreadable > 0)
        note += std::to_string(total.unreadable) + std::string(strings::kSummaryPageUnreadable);
    if (total.empty > 0)
        note += (note.empty() ? "" : ", ") + std::to_string(total.empty) + std::string(strings::kSummaryPageEmpty);
    return note;
}

void AppendTotals(std::string& page, const CollectionSummary& summary)
{
    page += "<table class=\"totals\">\n<tbody>\n";
    page += "<tr><th>" + std::string(strings::kSummaryCoins) + "</th><td class=\"n\">" +
            std::to_string(summary.coins) + "</td><td></td></tr>\n";
    const auto row = [&](std::string_view label, const AmountTotal& total) {
        page += "<tr><th>";
        page += label;
        page += "</th><td class=\"n\">" + AmountText(total.total) + "</td><td class=\"note\">" +
                Escaped(Unread(total)) + "</td></tr>\n";
    };
    row(strings::kSummaryPurchaseTotal, summary.purchase);
    row(strings::kSummaryCurrentTotal, summary.current);
    page += "<tr><th>" + std::string(strings::kSummaryDifference) + "</th><td class=\"n\">" +
            AmountText(summary.difference) + "</td><td class=\"note\">" +
            std::string(strings::kSummaryDifferenceNote) + "</td></tr>\n";
    page += "</tbody>\n</table>\n";
}

void AppendGroupTable(std::string& page, std::string_view heading, std::string_view column,
                      const std::vector<SummaryGroup>& groups)
{
    page += "<h2>";
    page += heading;
    page += "</h2>\n<table>\n<thead><tr><th>";
    page += column;
    page += "</th><th class=\"n\">" + std::string(strings::kSummaryCoins) + "</th><th class=\"n\">" +
            std::string(ColumnHeading(CoinField::PurchasePrice)) + "</th><th class=\"n\">" +
            std::string(ColumnHeading(CoinField::CurrentValue)) + "</th></tr></thead>\n<tbody>\n";
    for (const SummaryGroup& group : groups) {
        page += "<tr><td>";
        AppendEscaped(page, group.name.empty() ? std::string_view(kNoValueLabel) : group.name);
        page += "</td><td class=\"n\">" + std::to_string(group.coins) + "</td><td class=\"n\">" +
                AmountText(group.purchase.total) + "</td><td class=\"n\">" +
                AmountText(group.current.total) + "</td></tr>\n";
    }
    page += "</tbody>\n</table>\n";
}

void AppendYearTable(std::string& page, const CollectionSummary& summary)
{
    page += "<h2>" + std::string(strings::kSummaryPurchasesByYear) + "</h2>\n<table>\n<thead><tr><th>" +
            std::string(strings::kSummaryYearOfPurchase) + "</th><th class=\"n\">" +
            std::string(strings::kSummaryCoins) + "</th><th class=\"n\">" +
            std::string(ColumnHeading(CoinField::PurchasePrice)) + "</th></tr></thead>\n<tbody>\n";
    const auto row = [&](const std::string& label, const YearTotal& year) {
        page += "<tr><td>" + label + "</td><td class=\"n\">" + std::to_string(year.coins) +
                "</td><td class=\"n\">" + AmountText(year.purchase.total) + "</td></tr>\n";
    };
    for (const YearTotal& year : summary.purchaseByYear)
        row(std::to_string(year.year), year);
    if (summary.undated.coins > 0)
        row(std::string(strings::kSummaryNoYear), summary.undated);
    page += "</tbody>\n</table>\n";
}

// A horizontal bar chart: a label, a bar as long as its share of the largest value, and the
// value. Negative values draw no bar.
void AppendBarChart(std::string& page, std::string_view title, const std::vector<ChartBar>& bars)
{
    page += "<h2>";
    AppendEscaped(page, title);
    page += "</h2>\n";
    if (bars.empty()) {
        page += "<p class=\"note\">" + std::string(strings::kSummaryNothing) + "</p>\n";
        return;
    }
    constexpr int kLabelWidth = 190, kBarWidth = 420, kValueWidth = 130, kRow = 22;
    const int height = kRow * static_cast<int>(bars.size()) + 8;
    const int width = kLabelWidth + kBarWidth + kValueWidth;
    double largest = 0;
    for (const ChartBar& bar : bars)
        largest = std::max(largest, bar.value);
    page += "<svg role=\"img\" width=\"" +
            std::to_string(width) + "\" height=\"" + std::to_string(height) +
            "\" viewBox=\"0 0 " + std::to_string(width) + " " + std::to_string(height) +
            "\">\n<title>";
    AppendEscaped(page, title);
    page += "</title>\n";
    int y = 4;
    for (const ChartBar& bar : bars) {
        const int length =
            largest > 0 && bar.value > 0
                ? std::max(1, static_cast<int>(bar.value / largest * (kBarWidth - 10)))
                : 0;
        std::string label = bar.label;
        if (label.size() > 28) {
            // Cut at a character boundary, not inside a UTF-8 sequence.
            std::size_t cut = 27;
            while (cut > 0 && (static_cast<unsigned char>(label[cut]) & 0xC0) == 0x80)
                --cut;
            label = label.substr(0, cut) + "\xE2\x80\xA6";
        }
        page += "<text x=\"" + std::to_string(kLabelWidth - 8) + "\" y=\"" +
                std::to_string(y + 15) + "\" text-anchor=\"end\">";
        AppendEscaped(page, label);
        page += "</text><rect class=\"bar\" x=\"" + std::to_string(kLabelWidth) + "\" y=\"" +
                std::to_string(y + 3) + "\" width=\"" + std::to_string(length) +
                "\" height=\"16\"/><text x=\"" + std::to_string(kLabelWidth + length + 6) +
                "\" y=\"" + std::to_string(y + 15) + "\">";
        AppendEscaped(page, bar.valueText);
        page += "</text>\n";
        y += kRow;
    }
    page += "</svg>\n";
}

}  // namespace

std::string SummaryPageHtml(const CollectionSummary& summary, std::string_view title)
{
    std::string page = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
                       "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
                       "<title>";
    AppendEscaped(page, title);
    page += "</title>\n";
    page += kStyle;
    page += "</head>\n<body>\n<h1>";
    AppendEscaped(page, title);
    page += "</h1>\n";
    AppendTotals(page, summary);
    page += "<p class=\"note\">" + std::string(strings::kSummaryAmountsNote) + "</p>\n";
    AppendBarChart(page, strings::kChartValueByCategory, CurrentValueByCategory(summary));
    AppendBarChart(page, strings::kChartCoinsByCountry, CoinsByCountry(summary));
    AppendBarChart(page, strings::kChartPurchaseByYear, PurchaseByYear(summary));
    AppendGroupTable(page, strings::kSummaryByCountry, ColumnHeading(CoinField::Country), summary.byCountry);
    AppendGroupTable(page, strings::kSummaryByCategory, ColumnHeading(CoinField::Category), summary.byCategory);
    AppendGroupTable(page, strings::kSummaryByCondition, ColumnHeading(CoinField::Condition), summary.byCondition);
    AppendYearTable(page, summary);
    page += "</body>\n</html>\n";
    return page;
}

Outcome WriteSummaryPage(const std::string& path, const CollectionSummary& summary,
                            std::string_view title)
{
    return WriteFileAtomically(path, SummaryPageHtml(summary, title));
}
