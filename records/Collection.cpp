#include "records/Collection.h"

#include <algorithm>
#include <iterator>

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
    std::stable_sort(m_rows.begin(), m_rows.end(), screenGreater);
    return false;
}

void Collection::ReverseRows() { std::reverse(m_rows.begin(), m_rows.end()); }
