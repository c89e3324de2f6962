#include "records/ChoiceList.h"

#include <algorithm>
#include <array>

#include "records/QuickHash.h"

bool ChoiceLess(std::string_view a, std::string_view b)
{
    const std::string fa = FoldCase(a);
    const std::string fb = FoldCase(b);
    if (fa != fb)
        return fa < fb;
    return a < b;
}

int ChoiceList::Add(std::string_view value)
{
    if (value.empty() || !m_folded.insert(FoldCase(value)).second)
        return -1;
    const auto at = std::upper_bound(m_entries.begin(), m_entries.end(), value,
                                     [](std::string_view v, const std::string& e) {
                                         return ChoiceLess(v, e);
                                     });
    const auto index = at - m_entries.begin();
    m_entries.insert(at, std::string(value));
    return static_cast<int>(index);
}

bool ChoiceList::Gather(std::string_view value, Recent& recent)
{
    // A column holds the same few texts over and over; a text just as one seen before adds
    // nothing, and is known without folding it by a small table of recent texts.
    if (value.empty())
        return false;
    std::string_view& slot = recent[QuickHash(value) % kRecent];
    if (slot.data() && slot == value)
        return false;
    slot = value;
    if (!m_folded.insert(FoldCase(value)).second)
        return false;
    m_entries.emplace_back(value);
    return true;
}

void ChoiceList::SortEntries()
{
    // Sort on precomputed keys: folding inside every comparison would repeat the work.
    std::vector<std::pair<std::string, std::string>> keyed;
    keyed.reserve(m_entries.size());
    for (std::string& e : m_entries)
        keyed.emplace_back(FoldCase(e), std::move(e));
    std::sort(keyed.begin(), keyed.end());
    for (std::size_t i = 0; i < keyed.size(); ++i)
        m_entries[i] = std::move(keyed[i].second);
}

void ChoiceList::AddAll(const std::vector<std::string_view>& values)
{
    Recent recent{};
    bool added = false;
    for (std::string_view value : values)
        added = Gather(value, recent) || added;
    if (added)
        SortEntries();
}

void ChoiceList::AddAll(std::span<const CoinRecord> records, CoinField field)
{
    AddAll(records, std::span<const CoinField>(&field, 1), std::span<ChoiceList>(this, 1));
}

void ChoiceList::AddAll(std::span<const CoinRecord> records, std::span<const CoinField> fields,
                        std::span<ChoiceList> lists)
{
    ChoiceListFill fill(fields, lists);
    fill.Add(records);
    fill.Finish();
}

ChoiceListFill::ChoiceListFill(std::span<const CoinField> fields, std::span<ChoiceList> lists)
    : m_fields(fields.first(std::min(fields.size(), lists.size()))),
      m_lists(lists.first(m_fields.size())),
      m_recent(m_fields.size()),
      m_added(m_fields.size(), 0)
{
}

void ChoiceListFill::Add(std::span<const CoinRecord> records)
{
    const std::size_t count = m_fields.size();
    for (const CoinRecord& record : records) {
        for (std::size_t i = 0; i < count; ++i) {
            if (m_lists[i].Gather(record.Get(m_fields[i]), m_recent[i]))
                m_added[i] = 1;
        }
    }
}

void ChoiceListFill::Finish()
{
    for (std::size_t i = 0; i < m_fields.size(); ++i) {
        if (m_added[i])
            m_lists[i].SortEntries();
        m_added[i] = 0;
    }
}

bool ChoiceList::Contains(std::string_view value) const
{
    return m_folded.count(FoldCase(value)) != 0;
}
