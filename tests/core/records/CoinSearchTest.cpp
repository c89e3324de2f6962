#include <gtest/gtest.h>

#include <array>
#include <random>
#include <string>
#include <tuple>

#include "records/CaseFold.h"
#include "records/CoinSearch.h"

namespace {

// Rows top first; the matches of "nickel" are rows 1, 3 and 4.
Collection SampleCollection()
{
    const std::vector<CoinRecord> topFirst = {
        CoinRecord::FromTexts({"Morgan Dollar", "1921", "1 Dollar", "United States"}),
        CoinRecord::FromTexts({"Buffalo Nickel", "1936", "5 Cents", "United States"}),
        CoinRecord::FromTexts({"Thaler", "1780", "", "\xC3\x96sterreich"}),
        CoinRecord::FromTexts({"Jefferson", "1938", "5 Cents", "United States", "", "", "",
                               "", "", "", "NICKELS"}),
        CoinRecord::FromTexts({"Shield", "1867", "", "", "", "", "", "", "", "", "", "",
                               "A pure nickel piece.\nWith rays."}),
        CoinRecord::FromTexts({"Drachma", "1910", "", "\xCE\x95\xCE\xBB\xCE\xBB\xCE\xAC\xCE"
                                                       "\xB4\xCE\xB1"}),  // Ελλάδα
    };
    Collection collection;
    collection.LoadBottomUp(std::vector<CoinRecord>(topFirst.rbegin(), topFirst.rend()));
    return collection;
}

}  // namespace

TEST(CoinSearch, NextAndPreviousWrapAndCountThePlace)
{
    const Collection collection = SampleCollection();
    const CoinSearch search("nickel");
    ASSERT_EQ(MatchingRows(collection, search), (std::vector<int>{1, 3, 4}));

    struct Step { int from; int nextRow, nextOrdinal; int previousRow, previousOrdinal; };
    const Step steps[] = {
        {-1, 1, 1, 4, 3},  // nothing marked: next from the top, previous from the bottom
        {0, 1, 1, 4, 3},
        {1, 3, 2, 4, 3},   // previous wraps at the top
        {2, 3, 2, 1, 1},
        {3, 4, 3, 1, 1},
        {4, 1, 1, 3, 2},   // next wraps at the bottom
        {5, 1, 1, 4, 3},
        {6, 1, 1, 4, 3},   // Count(): previous starts at the bottom
    };
    for (const Step& s : steps) {
        const FindResult next = FindNext(collection, search, s.from);
        EXPECT_EQ(next.row, s.nextRow) << "next from " << s.from;
        EXPECT_EQ(next.ordinal, s.nextOrdinal) << "next from " << s.from;
        EXPECT_EQ(next.count, 3);
        const FindResult previous = FindPrevious(collection, search, s.from);
        EXPECT_EQ(previous.row, s.previousRow) << "previous from " << s.from;
        EXPECT_EQ(previous.ordinal, s.previousOrdinal) << "previous from " << s.from;
        EXPECT_EQ(previous.count, 3);
    }

    EXPECT_EQ(MatchPosition(collection, search, 3).ordinal, 2);
    EXPECT_EQ(MatchPosition(collection, search, 3).count, 3);
    EXPECT_EQ(MatchPosition(collection, search, 2).ordinal, 0);  // not a match
    EXPECT_EQ(MatchPosition(collection, search, 2).count, 3);
    EXPECT_EQ(MatchText(search, FindNext(collection, search, 1)), "2 of 3");
    EXPECT_EQ(MatchText(search, MatchPosition(collection, search, 2)), "3 matches");
    EXPECT_EQ(MatchText(search, MatchPosition(collection, search, -1)), "3 matches");

    // A single match is found again from itself, in both directions.
    const CoinSearch thaler("THALER");
    EXPECT_EQ(FindNext(collection, thaler, 2).row, 2);
    EXPECT_EQ(FindPrevious(collection, thaler, 2).row, 2);
    EXPECT_EQ(FindNext(collection, thaler, 2).ordinal, 1);
    EXPECT_EQ(MatchText(thaler, MatchPosition(collection, thaler, 0)), "1 match");
}

TEST(CoinSearch, NoMatchAndAnEmptyTextFindNothing)
{
    const Collection collection = SampleCollection();
    for (const char* text : {"", "1 of 17", "nickels piece"}) {
        const FindResult result = FindNext(collection, CoinSearch(text), 0);
        EXPECT_EQ(result.row, -1) << text;
        EXPECT_EQ(result.count, 0) << text;
        EXPECT_EQ(FindPrevious(collection, CoinSearch(text), 0).row, -1) << text;
        EXPECT_EQ(MatchText(CoinSearch(text), result), *text ? "No match" : "") << text;
    }
    EXPECT_EQ(FindNext(Collection(), CoinSearch("nickel"), -1).row, -1);
}

TEST(CoinSearch, IgnoresLetterCaseAsTheDropDownListsDo)
{
    struct Case { const char* needle; const char* text; bool matches; };
    const Case cases[] = {
        {"BUFFALO", "buffalo nickel", true},
        {"ni", "Buffalo NICKEL", true},
        {"\xC3\xB6sterreich", "\xC3\x96STERREICH", true},                 // österreich
        {"\xC3\x96", "Gro\xC3\x9F \xC3\xB6", true},                       // Ö in ö
        {"\xCE\x95\xCE\x9B\xCE\x9B\xCE\x86\xCE\x94\xCE\x91",              // ΕΛΛΆΔΑ
         "\xCE\x95\xCE\xBB\xCE\xBB\xCE\xAC\xCE\xB4\xCE\xB1", true},       // Ελλάδα
        {"\xD0\xA0\xD0\x9E\xD0\xA1\xD0\xA1\xD0\x98\xD0\xAF",              // РОССИЯ
         "\xD0\xA0\xD0\xBE\xD1\x81\xD1\x81\xD0\xB8\xD1\x8F", true},       // Россия
        {"\xC3\xBF", "\xC5\xB8", true},                                   // ÿ finds Ÿ
        {"\xD1\x90", "\xD0\x80", true},                                   // ѐ finds Ѐ
        {"z\xC5\x82oty", "Z\xC5\x81OTY", true},                           // złoty, ZŁOTY
        {"\xE2\x82\xAC 5", "\xE2\x82\xAC 5", true},                       // € 5
        {"ss", "Gro\xC3\x9F", false},                                     // ß is not ss
        {"\xC3\xB6", "o", false},                                         // no accent folding
        {"dollar", "DOLLAR", true},
        {"dollars", "DOLLAR", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CoinSearch(c.needle).MatchesText(c.text), c.matches)
            << '"' << c.needle << "\" in \"" << c.text << '"';
    }
}

TEST(CoinSearch, MatchesInsideOneFieldOnly)
{
    const CoinRecord buffalo = CoinRecord::FromTexts({"Buffalo", "Nickel"});
    // A place across the boundary ("xaa|baab") before the one inside a field: the scan goes on.
    const CoinRecord repeated = CoinRecord::FromTexts({"xaa", "baab"});
    // First and last byte of the record, the whole of a field, and a long text that the scan
    // takes sixteen places at a time.
    const CoinRecord longText = CoinRecord::FromTexts(
        {"Name", "", "", "", "", "", "", "", "", "", "", "", std::string(100, 'x') + "needle"});
    const std::tuple<const CoinRecord&, const char*, bool> cases[] = {
        {buffalo, "buffalonickel", false}, {buffalo, "buffalo", true}, {buffalo, "nickel", true},
        {repeated, "aab", true},           {repeated, "aaba", false},  {longText, "NAME", true},
        {longText, "NEEDLE", true},        {longText, "xneedle", true},
        {longText, "needles", false},      {longText, "ename", false},
    };
    for (const auto& [record, needle, matches] : cases)
        EXPECT_EQ(CoinSearch(needle).Matches(record), matches) << needle;
}

// The scan must find exactly what folding both texts and searching bytes finds.
TEST(CoinSearch, AgreesWithFoldingBothTextsOnRandomTexts)
{
    const std::array<std::string, 16> pieces = {
        "a", "A", "b", "N", "n", " ", "5", "\xC3\x96", "\xC3\xB6", "\xD0\xA0", "\xD1\x80",
        "\xC5\xB8", "\xC3\xBF", "\xE2\x82\xAC", "\xF0\x9F\x98\x80", "\xCE\xA3",
    };
    std::mt19937 random(7);
    const auto text = [&](int maxPieces) {
        std::string t;
        const int n = static_cast<int>(random() % static_cast<unsigned>(maxPieces + 1));
        for (int i = 0; i < n; ++i)
            t += pieces[random() % pieces.size()];
        return t;
    };
    int matches = 0;
    for (int round = 0; round < 20000; ++round) {
        const std::string needle = text(3);
        const std::string haystack = text(60);
        const bool expected =
            !needle.empty() && FoldCase(haystack).find(FoldCase(needle)) != std::string::npos;
        matches += expected;
        ASSERT_EQ(CoinSearch(needle).MatchesText(haystack), expected)
            << '"' << needle << "\" in \"" << haystack << '"';
    }
    EXPECT_GT(matches, 2000);  // the texts are not all misses
}
