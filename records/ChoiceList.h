#pragma once

#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "records/CaseFold.h"
#include "records/CoinRecord.h"

// The entries of one drop-down list (Country, Condition or Category): every distinct value
// loaded or entered since the program started, sorted, where "distinct" ignores letter case.
// Entries are never removed. An empty value is not added.
class ChoiceList {
public:
    // Adds `value` unless an entry equal to it ignoring letter case is present. Returns the
    // index at which it was inserted, or -1 when nothing was added.
    int Add(std::string_view value);

    // Adds many values at once, in O((n + k) log(n + k)).
    void AddAll(const std::vector<std::string_view>& values);

    // The same with the values of one field of each record.
    void AddAll(const std::vector<CoinRecord>& records, CoinField field);

    bool Contains(std::string_view value) const;

    const std::vector<std::string>& Entries() const { return m_entries; }

private:
    template <typename Values>
    void AddEach(const Values& values);

    std::vector<std::string> m_entries;        // in display order
    std::unordered_set<std::string> m_folded;  // FoldCase of each entry
};

// The order of a sorted drop-down list: by FoldCase, then by bytes.
bool ChoiceLess(std::string_view a, std::string_view b);
