#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "records/CoinRecord.h"

// The coins of the list in screen order: row 0 is the top row. New coins go to the top.
//
// Rows are kept bottom row first in memory, so that adding at the top is an append, loading a
// data file (written bottom row first) is a sequence of appends, and saving walks memory in
// order. Every operation is O(1) or O(n), sorting linear in the bytes that tell the texts
// apart.
class Collection {
public:
    int Count() const { return static_cast<int>(m_rows.size()); }
    bool Empty() const { return m_rows.empty(); }

    // The record in screen row `row`; 0 <= row < Count().
    const CoinRecord& Row(int row) const { return m_rows[Slot(row)]; }

    // The rows bottom row first, the order of the data file.
    const std::vector<CoinRecord>& BottomUp() const { return m_rows; }

    // The marked row: the row the user selected last, or -1. It is an index, not a coin: it
    // stays at its index when sorting or reversing exchanges rows, moves down with its row when
    // a row is inserted above it, and is dropped when its row is deleted.
    int MarkedRow() const { return m_marked; }
    void SetMarkedRow(int row) { m_marked = (row >= 0 && row < Count()) ? row : -1; }

    // True when a row has exactly this Name and Year (byte for byte, letter case included).
    bool HasNameAndYear(std::string_view name, std::string_view year) const;

    // Inserts a record as the new top row.
    void InsertTop(CoinRecord record);

    // Whether every record of a load is known to have a Name, as the records read from a data
    // file have: they are then taken without a look at each.
    enum class Names { MayBeEmpty, AllGiven };

    // Appends records that come bottom row first (the order of the data file) above the
    // present rows, as inserting each at the top in turn would. Records with an empty Name
    // are dropped.
    void LoadBottomUp(std::vector<CoinRecord> records, Names names = Names::MayBeEmpty);

    // Replaces row `row`; false (and nothing changes) when the row does not exist.
    bool Replace(int row, CoinRecord record);

    // Deletes row `row`; false (and nothing changes) when the row does not exist.
    bool Remove(int row);

    void Clear();

    // Sorts the rows by the texts of one column, ascending by bytes, rows with equal texts
    // keeping their order; when the column is already in ascending order the rows are
    // reversed instead. The result is the order that repeated passes of adjacent exchanges
    // (exchanging only on a strictly greater text) give. Returns true when it reversed.
    bool SortByColumn(CoinField column);

    // SortByColumn that also reports how the rows moved: when it sorts, `order` becomes the
    // permutation it applied, order[i] being the position in BottomUp() before the sort of the
    // record now at position i; when it reverses, `order` is left empty (a reversal needs no
    // record of its own).
    bool SortByColumn(CoinField column, std::vector<std::uint32_t>& order);

    // Reverses the order of the rows.
    void ReverseRows();

    // The operations below serve the undo history; each is exact and its inverse is among
    // them. They return false, changing nothing, when their rows do not exist.

    // Inserts records, given bottom row first, so that the top one of them becomes screen row
    // `row` (0 = the top, Count() = below the bottom row). Empty Names are kept: the records
    // are put back as they were taken. A marked row at or below `row` moves down with its row.
    bool InsertRows(int row, std::vector<CoinRecord> bottomUp);

    // Removes `count` rows from screen row `row` down and hands them over bottom row first, the
    // order InsertRows takes back. The marked row is dropped when it is among them and moves up
    // when it is below them. Gives nothing when the rows do not all exist.
    std::vector<CoinRecord> TakeRows(int row, int count);

    // Exchanges row `row` with `record`.
    bool SwapRow(int row, CoinRecord& record);

    // Exchanges every row with `bottomUp` (rows bottom row first) without copying any; the
    // marked row is dropped.
    void SwapAllRows(std::vector<CoinRecord>& bottomUp);

    // Moves the rows as a sort that reported `order` did (Permute), or back to where they were
    // before it (Unpermute). An `order` that is not a permutation of 0..Count()-1 is refused.
    // The marked row stays at its index, as with sorting.
    bool Permute(const std::vector<std::uint32_t>& order);
    bool Unpermute(const std::vector<std::uint32_t>& order);

private:
    bool IsPermutation(const std::vector<std::uint32_t>& order) const;
    void MoveRows(const std::vector<std::uint32_t>& order);  // a checked permutation
    std::size_t Slot(int row) const { return m_rows.size() - 1 - static_cast<std::size_t>(row); }

    std::vector<CoinRecord> m_rows;  // bottom row first
    int m_marked = -1;
};
