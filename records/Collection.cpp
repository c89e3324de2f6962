#include "records/Collection.h"

#include <algorithm>
#include <cassert>
#include <cstdint>
#include <iterator>
#include <utility>

#include "records/LargePages.h"
#include "records/TextOrder.h"

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

void Collection::LoadBottomUp(std::vector<CoinRecord> records, Names names)
{
    const auto unnamed = [](const CoinRecord& r) { return r.Get(CoinField::Name).empty(); };
    assert(names == Names::MayBeEmpty || std::none_of(records.begin(), records.end(), unnamed));
    const std::size_t before = m_rows.size();
    if (before == 0) {
        // Taken as they are, without a second array of a million records.
        m_rows = std::move(records);
        if (names == Names::MayBeEmpty)
            std::erase_if(m_rows, unnamed);
        if (m_marked >= 0)
            m_marked += static_cast<int>(m_rows.size());
        return;
    }
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
    std::vector<std::uint32_t> order;
    return SortByColumn(column, order);
}

bool Collection::SortByColumn(CoinField column, std::vector<std::uint32_t>& order)
{
    order.clear();
    // Memory holds the rows bottom first, so "ascending on screen" is "descending in memory",
    // and a stable descending sort of memory is the stable ascending sort of the screen.
    const auto screenGreater = [column](const CoinRecord& a, const CoinRecord& b) {
        return a.Get(column) > b.Get(column);  // string_view compares bytes as unsigned
    };
    if (std::is_sorted(m_rows.begin(), m_rows.end(), screenGreater)) {
        ReverseRows();
        return true;
    }
    // The order is found from the texts alone, then each record moves once.
    order = DescendingOrder(m_rows.size(), [&](std::size_t i) { return m_rows[i].Get(column); });
    MoveRows(order);
    return false;
}

void Collection::ReverseRows() { std::reverse(m_rows.begin(), m_rows.end()); }

bool Collection::InsertRows(int row, std::vector<CoinRecord> bottomUp)
{
    if (row < 0 || row > Count())
        return false;
    const auto at = m_rows.begin() + static_cast<std::ptrdiff_t>(m_rows.size()) - row;
    m_rows.insert(at, std::make_move_iterator(bottomUp.begin()),
                  std::make_move_iterator(bottomUp.end()));
    if (m_marked >= row)
        m_marked += static_cast<int>(bottomUp.size());
    return true;
}

std::vector<CoinRecord> Collection::TakeRows(int row, int count)
{
    if (row < 0 || count < 0 || count > Count() - row)
        return {};
    // Screen rows row..row+count-1 are the `count` memory slots below slot Count() - row.
    const auto last = m_rows.begin() + static_cast<std::ptrdiff_t>(m_rows.size()) - row;
    const auto first = last - count;
    std::vector<CoinRecord> taken(std::make_move_iterator(first), std::make_move_iterator(last));
    m_rows.erase(first, last);
    if (m_marked >= row + count)
        m_marked -= count;
    else if (m_marked >= row)
        m_marked = -1;
    return taken;
}

bool Collection::SwapRow(int row, CoinRecord& record)
{
    if (row < 0 || row >= Count())
        return false;
    std::swap(m_rows[Slot(row)], record);
    return true;
}

void Collection::SwapAllRows(std::vector<CoinRecord>& bottomUp)
{
    m_rows.swap(bottomUp);
    m_marked = -1;
}

bool Collection::IsPermutation(const std::vector<std::uint32_t>& order) const
{
    // Checked before anything moves: a wrong order would leave rows half moved, and one that
    // names a slot twice would make a cycle that never ends.
    if (order.size() != m_rows.size())
        return false;
    std::vector<bool> seen(order.size(), false);
    for (std::uint32_t i : order) {
        if (i >= order.size() || seen[i])
            return false;
        seen[i] = true;
    }
    return true;
}

bool Collection::Permute(const std::vector<std::uint32_t>& order)
{
    if (!IsPermutation(order))
        return false;
    MoveRows(order);
    return true;
}

bool Collection::Unpermute(const std::vector<std::uint32_t>& order)
{
    if (!IsPermutation(order))
        return false;
    std::vector<std::uint32_t> inverse(order.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        inverse[order[i]] = static_cast<std::uint32_t>(i);
    MoveRows(inverse);
    return true;
}

void Collection::MoveRows(const std::vector<std::uint32_t>& order)
{
    // Into a new array in large pages, each record moved once. The records are taken in the
    // permutation's order, from anywhere in memory, so they are fetched a few moves ahead;
    // the new array is written in sequence. Following the permutation's cycles in place
    // instead saves the new array, but reads the records one after the other, each waiting for
    // the one before: 45-110 ms against 35-40 ms for a million records (see bench/README.md).
    constexpr std::size_t kAhead = 16;
    std::vector<CoinRecord> moved;
    ReserveWithLargePages(moved, m_rows.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (i + kAhead < order.size()) {
            const char* record = reinterpret_cast<const char*>(&m_rows[order[i + kAhead]]);
            __builtin_prefetch(record);
            __builtin_prefetch(record + sizeof(CoinRecord) - 1);
        }
        moved.push_back(std::move(m_rows[order[i]]));
    }
    m_rows.swap(moved);
}
