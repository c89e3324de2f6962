#include "output/CollectionSummary.h"

#include <algorithm>
#include <limits>
#include <map>
#include <optional>
#include <string_view>
#include <unordered_map>

#include "records/CaseFold.h"
#include "records/ChoiceList.h"

namespace {

bool IsBlank(std::string_view text)
{
    return text.find_first_not_of(" \t") == std::string_view::npos;
}

// One amount field of one coin, read once and added to every total it belongs to.
struct Value {
    enum { Empty, Unreadable, Read } state = Empty;
    Cents amount = 0;

    explicit Value(std::string_view text)
    {
        if (IsBlank(text))
            return;
        const std::optional<Cents> read = ReadAmount(text);
        state = read ? Read : Unreadable;
        amount = read.value_or(0);
    }
};

void Add(AmountTotal& total, const Value& value)
{
    switch (value.state) {
    case Value::Empty:
        ++total.empty;
        break;
    case Value::Unreadable:
        ++total.unreadable;
        break;
    case Value::Read:
        ++total.read;
        total.total = AddAmounts(total.total, value.amount);
        break;
    }
}

void Add(AmountTotal& total, const AmountTotal& more)
{
    total.total = AddAmounts(total.total, more.total);
    total.read += more.read;
    total.unreadable += more.unreadable;
    total.empty += more.empty;
}

Cents Difference(Cents a, Cents b)
{
    if (b == std::numeric_limits<Cents>::min())
        return AddAmounts(AddAmounts(a, std::numeric_limits<Cents>::max()), 1);
    return AddAmounts(a, -b);
}

// The year a date begins with: four digits after any spaces, not followed by a fifth.
std::optional<int> LeadingYear(std::string_view date)
{
    const std::size_t begin = date.find_first_not_of(' ');
    if (begin == std::string_view::npos || date.size() - begin < 4)
        return std::nullopt;
    int year = 0;
    for (std::size_t i = begin; i < begin + 4; ++i) {
        if (date[i] < '0' || date[i] > '9')
            return std::nullopt;
        year = year * 10 + (date[i] - '0');
    }
    if (date.size() > begin + 4 && date[begin + 4] >= '0' && date[begin + 4] <= '9')
        return std::nullopt;
    return year;
}

// Groups the coins by the exact text of one field first (a hash of the text, no copy), then
// joins the groups whose texts fold alike, so that a million coins are folded only as often
// as there are distinct texts.
class Grouper {
public:
    explicit Grouper(CoinField field) : m_field(field) {}

    void Add(const CoinRecord& record, const Value& purchase, const Value& current)
    {
        const std::string_view text = record.Get(m_field);
        auto [it, added] = m_index.try_emplace(text, m_groups.size());
        if (added) {
            m_groups.emplace_back();
            m_groups.back().name = std::string(text);
        }
        SummaryGroup& group = m_groups[it->second];
        ++group.coins;
        ::Add(group.purchase, purchase);
        ::Add(group.current, current);
    }

    // The groups in the order of the drop-down lists, blank ones joined and put last. The
    // name of a joined group is the one met first, i.e. written in the highest row.
    std::vector<SummaryGroup> Finish()
    {
        std::vector<SummaryGroup> joined;
        std::unordered_map<std::string, std::size_t> byFold;
        std::optional<SummaryGroup> blank;
        for (SummaryGroup& group : m_groups) {
            if (IsBlank(group.name)) {
                if (!blank)
                    blank = SummaryGroup{};
                Merge(*blank, group);
                continue;
            }
            auto [it, added] = byFold.try_emplace(FoldCase(group.name), joined.size());
            if (added)
                joined.push_back(std::move(group));
            else
                Merge(joined[it->second], group);
        }
        std::sort(joined.begin(), joined.end(), [](const SummaryGroup& a, const SummaryGroup& b) {
            return ChoiceLess(a.name, b.name);
        });
        if (blank)
            joined.push_back(std::move(*blank));
        return joined;
    }

private:
    static void Merge(SummaryGroup& into, const SummaryGroup& group)
    {
        into.coins += group.coins;
        ::Add(into.purchase, group.purchase);
        ::Add(into.current, group.current);
    }

    CoinField m_field;
    std::unordered_map<std::string_view, std::size_t> m_index;
    std::vector<SummaryGroup> m_groups;  // in the order first met
};

// Bars for the groups, largest first, the smallest beyond `maxBars` - 1 added up as "Other".
std::vector<ChartBar> TopBars(const std::vector<SummaryGroup>& groups, int maxBars,
                              bool amounts, Cents (*valueOf)(const SummaryGroup&))
{
    std::vector<const SummaryGroup*> order;
    for (const SummaryGroup& g : groups)
        order.push_back(&g);
    std::stable_sort(order.begin(), order.end(), [&](const SummaryGroup* a, const SummaryGroup* b) {
        return valueOf(*a) > valueOf(*b);
    });
    const auto bar = [amounts](std::string label, Cents value) {
        ChartBar b;
        b.label = std::move(label);
        b.value = amounts ? static_cast<double>(value) / 100.0 : static_cast<double>(value);
        b.valueText = amounts ? AmountText(value) : std::to_string(value);
        return b;
    };
    const std::size_t shown = maxBars < 1 ? 1 : static_cast<std::size_t>(maxBars);
    const bool folds = order.size() > shown;
    std::vector<ChartBar> bars;
    Cents other = 0;
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (folds && i + 1 >= shown) {
            other = AddAmounts(other, valueOf(*order[i]));
            continue;
        }
        bars.push_back(bar(order[i]->name.empty() ? kNoValueLabel : order[i]->name,
                           valueOf(*order[i])));
    }
    if (folds)
        bars.push_back(bar("Other", other));
    return bars;
}

}  // namespace

CollectionSummary SummarizeCollection(const Collection& collection)
{
    CollectionSummary summary;
    Grouper countries(CoinField::Country);
    Grouper categories(CoinField::Category);
    Grouper conditions(CoinField::Condition);
    std::map<int, YearTotal> years;
    for (int row = 0; row < collection.Count(); ++row) {
        const CoinRecord& record = collection.Row(row);
        const Value purchase(record.Get(CoinField::PurchasePrice));
        const Value current(record.Get(CoinField::CurrentValue));
        ++summary.coins;
        Add(summary.purchase, purchase);
        Add(summary.current, current);
        countries.Add(record, purchase, current);
        categories.Add(record, purchase, current);
        conditions.Add(record, purchase, current);

        const std::optional<int> year = LeadingYear(record.Get(CoinField::PurchaseDate));
        YearTotal& total = year ? years[*year] : summary.undated;
        total.year = year.value_or(0);
        ++total.coins;
        Add(total.purchase, purchase);
    }
    summary.difference = Difference(summary.current.total, summary.purchase.total);
    summary.byCountry = countries.Finish();
    summary.byCategory = categories.Finish();
    summary.byCondition = conditions.Finish();
    for (auto& [year, total] : years)
        summary.purchaseByYear.push_back(total);
    return summary;
}

std::vector<ChartBar> CurrentValueByCategory(const CollectionSummary& summary, int maxBars)
{
    return TopBars(summary.byCategory, maxBars, true,
                   [](const SummaryGroup& g) { return g.current.total; });
}

std::vector<ChartBar> CoinsByCountry(const CollectionSummary& summary, int maxBars)
{
    return TopBars(summary.byCountry, maxBars, false,
                   [](const SummaryGroup& g) { return Cents{g.coins}; });
}

std::vector<ChartBar> PurchaseByYear(const CollectionSummary& summary)
{
    std::vector<ChartBar> bars;
    for (const YearTotal& year : summary.purchaseByYear) {
        ChartBar bar;
        bar.label = std::to_string(year.year);
        bar.value = static_cast<double>(year.purchase.total) / 100.0;
        bar.valueText = AmountText(year.purchase.total);
        bars.push_back(std::move(bar));
    }
    return bars;
}
