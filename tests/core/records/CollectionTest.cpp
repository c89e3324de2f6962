#include <gtest/gtest.h>

#include <array>

#include <algorithm>
#include <numeric>
#include <random>

#include "records/ChoiceList.h"
#include "records/Collection.h"

using Texts = std::vector<std::string>;

// Rows, top first, with the sort key as Year and the row's first position as Name.
static Collection Rows(const Texts& keys)
{
    Collection c;
    for (std::size_t i = keys.size(); i-- > 0;)
        c.InsertTop(CoinRecord::FromTexts({std::to_string(i), keys[i]}));
    return c;
}

static Texts Names(const Collection& c)
{
    Texts out;
    for (int row = 0; row < c.Count(); ++row)
        out.emplace_back(c.Row(row).Get(CoinField::Name));
    return out;
}

// The written rule: passes of adjacent exchanges from the top, exchanging two rows only on a
// strictly greater upper text, until a pass exchanges nothing; if none ever did, reverse.
static std::pair<Texts, bool> ExchangeSort(const Texts& keys)
{
    std::vector<std::size_t> order(keys.size());
    std::iota(order.begin(), order.end(), 0);
    bool exchanged = true, any = false;
    while (exchanged) {
        exchanged = false;
        for (std::size_t i = 0; i + 1 < order.size(); ++i)
            if (keys[order[i]] > keys[order[i + 1]])
                std::swap(order[i], order[i + 1]), exchanged = any = true;
    }
    if (!any)
        std::reverse(order.begin(), order.end());
    Texts names;
    for (std::size_t i : order)
        names.push_back(std::to_string(i));
    return {names, !any};
}

TEST(Collection, SortIsAscendingByBytesOrReversesWhenAlreadyAscending)
{
    struct Case { Texts keys; Texts names; bool reversed; };
    const Case cases[] = {
        {{"apple", "\xC3\x96re", "Banana", "Zloty"}, {"2", "3", "0", "1"}, false},
        {{"2001", "985", "1999"}, {"2", "0", "1"}, false},
        {{"b", "a", "b", "a"}, {"1", "3", "0", "2"}, false},  // equal keys keep their order
        {{"a", "b", "b"}, {"2", "1", "0"}, true},
        {{"x", "x", "x"}, {"2", "1", "0"}, true},
    };
    for (const Case& c : cases) {
        Collection rows = Rows(c.keys);
        EXPECT_EQ(rows.SortByColumn(CoinField::Year), c.reversed) << c.keys[0];
        EXPECT_EQ(Names(rows), c.names) << c.keys[0];
    }
}

TEST(Collection, SortMatchesTheAdjacentExchangeAlgorithm)
{
    const Texts pool = {"", "a", "A", "ab", std::string("ab\0", 3), "b", "Half Crown",
                        "Half Crowns", "Half Cro", "\xC3\x96", "a "};
    std::mt19937 random(7);
    for (int round = 0; round < 400; ++round) {
        Texts keys(random() % 40);  // past the size where std::sort is still stable
        for (std::string& key : keys)
            key = pool[random() % (round % 2 ? pool.size() : 3)];  // every other: many equal
        Collection rows = Rows(keys);
        const bool reversed = rows.SortByColumn(CoinField::Year);
        EXPECT_EQ(std::make_pair(Names(rows), reversed), ExchangeSort(keys)) << round;
    }
}

TEST(Collection, MarkedRowFollowsInsertsAndRemovalsAndNameYearLookupIsExact)
{
    Collection c = Rows({"a", "b", "c"});
    c.SetMarkedRow(1);
    c.InsertTop(CoinRecord::FromTexts({"new"}));
    c.LoadBottomUp({CoinRecord::FromTexts({"x"}), CoinRecord(), CoinRecord::FromTexts({"y"})});
    EXPECT_EQ(c.MarkedRow(), 4);
    EXPECT_EQ(Names(c), (Texts{"y", "x", "new", "0", "1", "2"}));  // empty name dropped
    c.SortByColumn(CoinField::Name);
    EXPECT_EQ(c.MarkedRow(), 4);  // an index, not a coin
    ASSERT_TRUE(c.Remove(0) && c.Remove(4));
    EXPECT_EQ(c.MarkedRow(), 3);
    ASSERT_TRUE(c.Remove(3));
    EXPECT_EQ(c.MarkedRow(), -1);

    c.InsertTop(CoinRecord::FromTexts({"Thaler", "1780"}));  // HasNameAndYear is exact
    EXPECT_TRUE(c.HasNameAndYear("Thaler", "1780") && c.HasNameAndYear("2", "c"));
    for (const auto& [name, year] : {std::pair{"thaler", "1780"}, {"Thaler ", "1780"},
                                     {"Thaler", "1780 "}, {"Thaler", "c"}, {"1", "c"}})
        EXPECT_FALSE(c.HasNameAndYear(name, year)) << name << "|" << year;
}

TEST(ChoiceList, IgnoresLetterCaseAndStaysSorted)
{
    const std::string_view ete = "\xC3\xA9t\xC3\xA9", mir = "\xD0\x9C\xD0\x98\xD0\xA0";
    const std::vector<std::string_view> values = {"France", "france", "", ete, "Belgium",
        "\xC3\x89T\xC3\x89", "austria", mir, "\xD0\xBC\xD0\xB8\xD1\x80"};
    ChoiceList added, all;
    for (std::string_view v : values)
        added.Add(v);
    all.AddAll({values.begin(), values.begin() + 4});
    all.AddAll({values.begin() + 4, values.end()});
    EXPECT_EQ(added.Entries(), Texts({"austria", "Belgium", "France", Texts::value_type(ete),
                                      Texts::value_type(mir)}));
    EXPECT_EQ(all.Entries(), added.Entries());
    // The same from a field of records, each value several times as a column has them.
    std::vector<CoinRecord> records;
    for (int round = 0; round < 3; ++round)
        for (std::string_view v : values)
            records.push_back(CoinRecord::FromTexts({"", "", "", v}));
    ChoiceList fromRecords;
    fromRecords.AddAll(records, CoinField::Country);
    EXPECT_EQ(fromRecords.Entries(), added.Entries());
    // Several fields in one pass, into lists that may hold entries already: each list as if
    // filled from its field alone.
    for (std::size_t r = 0; r < records.size(); ++r) {
        records[r].Set(CoinField::Condition, values[(r * 5) % values.size()]);
        records[r].Set(CoinField::Category, r % 4 == 0 ? values[r % values.size()] : std::string_view("Proof"));
    }
    const std::array<CoinField, 3> fields = {CoinField::Country, CoinField::Condition, CoinField::Category};
    std::array<ChoiceList, 3> together, alone;
    for (ChoiceList* lists : {together.data(), alone.data()}) {
        lists[1].Add("belgium");
        lists[2].Add("PROOF");
    }
    ChoiceList::AddAll(records, fields, together);
    for (std::size_t i = 0; i < fields.size(); ++i) {
        alone[i].AddAll(records, fields[i]);
        EXPECT_EQ(together[i].Entries(), alone[i].Entries()) << "list " << i;
    }
    EXPECT_EQ(together[2].Entries().front(), "austria");
    EXPECT_TRUE(added.Contains("FRANCE") && added.Contains("\xC3\x89T\xC3\x89"));
    EXPECT_FALSE(added.Contains("Fr"));
    EXPECT_EQ(added.Add("BELGIUM"), -1);
    EXPECT_EQ(added.Add("Denmark"), 2);
}
