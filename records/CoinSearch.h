#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "records/Collection.h"

// The test a block scan makes on the first and last byte of each place before a closer look:
// (byte | mask) == value.
struct BlockFilter {
    std::uint8_t firstMask = 0, firstValue = 0;
    std::uint8_t lastMask = 0, lastValue = 0;
    bool usable = false;
};

// A text to find in the coins: a coin matches when the text appears anywhere inside one of its
// thirteen fields, letter case ignored with the case fold of the drop-down lists (FoldCase).
// A match never spans two fields. An empty text matches nothing.
//
// The text is folded once; each record is then scanned as it is, several bytes at a time,
// with the few bytes that can stand at the first and last place of a match, and only
// candidates are folded and compared. A search of a million coins takes a few tens of
// milliseconds.
class CoinSearch {
public:
    explicit CoinSearch(std::string_view text);

    bool Empty() const { return m_folded.empty(); }

    // True when the text appears in a field of `record`.
    bool Matches(const CoinRecord& record) const;

    // True when the text appears in `text`; the same as FoldCase(text) containing
    // FoldCase(search text), for UTF-8 texts.
    bool MatchesText(std::string_view text) const;

private:
    // The first offset at or after `from` where the folded text matches, or npos.
    std::size_t FindIn(std::string_view text, std::size_t from) const;
    bool MatchesAt(std::string_view text, std::size_t at) const;

    std::string m_folded;
    // The bytes a text may hold at the first and at the last byte of a match: the byte of the
    // folded text and those of the letters that fold to it.
    std::array<bool, 256> m_isFirst{};
    std::array<bool, 256> m_isLast{};
    BlockFilter m_filter;
};

// Where a search stands: the row found, its place among the matches ("3 of 17": ordinal 3,
// count 17), and how many rows match.
struct FindResult {
    int row = -1;      // the row found, or -1 when no row matches
    int ordinal = 0;   // 1 for the matching row nearest the top; 0 when `row` is not a match
    int count = 0;     // the number of matching rows
};

// The rows that match, top row first.
std::vector<int> MatchingRows(const Collection& collection, const CoinSearch& search);

// The first matching row below `row`, or when there is none the first from the top (so the
// search wraps at the bottom). `row` may be -1 (nothing marked): the search starts at the top.
FindResult FindNext(const Collection& collection, const CoinSearch& search, int row);

// The last matching row above `row`, or when there is none the last of all (so the search
// wraps at the top). `row` may be -1 or Count() to start from the bottom.
FindResult FindPrevious(const Collection& collection, const CoinSearch& search, int row);

// The place of `row` among the matches: row and count always, ordinal when `row` matches.
FindResult MatchPosition(const Collection& collection, const CoinSearch& search, int row);

// What the search field shows: "3 of 17" when the row is a match, "17 matches" (or "1 match")
// when it is not, "No match" when no row matches, and nothing for an empty search.
std::string MatchText(const CoinSearch& search, const FindResult& result);
