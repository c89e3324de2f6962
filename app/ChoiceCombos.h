#pragma once

#include <array>
#include <string_view>

#include "records/ChoiceList.h"
#include "records/Collection.h"

class QComboBox;

// The drop-down lists of Country, Condition and Category with their combo boxes: each list
// keeps its entries sorted and free of duplicates (ignoring letter case), and its box shows
// exactly those entries while keeping whatever text the user typed.
class ChoiceCombos {
public:
    ChoiceCombos(QComboBox* country, QComboBox* condition, QComboBox* category);

    // Adds the record's three values where they are new, each in its sorted place.
    void Add(const CoinRecord& record);

    // Adds the values of every row, then fills the boxes once.
    void AddAll(const Collection& collection);

    // Adds the entries of lists gathered elsewhere, one for each of kFields, then fills the
    // boxes once.
    void AddLists(std::array<ChoiceList, 3>&& gathered);

    // Empties the lists and the boxes.
    void Clear();

    static constexpr std::array<CoinField, 3> kFields = {CoinField::Country, CoinField::Condition,
                                                         CoinField::Category};

private:
    void Rebuild();

    std::array<ChoiceList, 3> m_lists;
    std::array<QComboBox*, 3> m_boxes;
};
