#pragma once

#include <array>
#include <span>
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
    void AddAll(std::span<const CoinRecord> records, CoinField field);

    // Adds each record's value of `fields[i]` to `lists[i]`, in one pass over the records, so
    // that a million records are read from memory once rather than once a list.
    static void AddAll(std::span<const CoinRecord> records, std::span<const CoinField> fields,
                       std::span<ChoiceList> lists);

    bool Contains(std::string_view value) const;

    const std::vector<std::string>& Entries() const { return m_entries; }

private:
    friend class ChoiceListFill;

    // The texts seen last, by a hash of their bytes (see Gather).
    static constexpr std::size_t kRecent = 1024;
    using Recent = std::array<std::string_view, kRecent>;

    // Adds `value` to the entries, unsorted, unless it is empty or present; true when added.
    bool Gather(std::string_view value, Recent& recent);
    void SortEntries();

    std::vector<std::string> m_entries;        // in display order
    std::unordered_set<std::string> m_folded;  // FoldCase of each entry
};

// Fills drop-down lists from records given a run at a time, as a file is read: each record's
// value of `fields[i]` goes to `lists[i]`, and each list is sorted once, by Finish. The records
// given must stay alive and unchanged until then.
class ChoiceListFill {
public:
    ChoiceListFill(std::span<const CoinField> fields, std::span<ChoiceList> lists);
    void Add(std::span<const CoinRecord> records);
    void Finish();

private:
    std::span<const CoinField> m_fields;
    std::span<ChoiceList> m_lists;
    std::vector<ChoiceList::Recent> m_recent;
    std::vector<char> m_added;
};

// The order of a sorted drop-down list: by FoldCase, then by bytes.
bool ChoiceLess(std::string_view a, std::string_view b);
