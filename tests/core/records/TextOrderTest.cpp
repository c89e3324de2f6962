#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "records/Collection.h"
#include "records/TextOrder.h"

namespace {

using Texts = std::vector<std::string>;

std::vector<std::uint32_t> StableDescending(const Texts& texts)
{
    std::vector<std::uint32_t> order(texts.size());
    std::iota(order.begin(), order.end(), 0u);
    std::stable_sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
        return std::string_view(texts[a]) > std::string_view(texts[b]);
    });
    return order;
}

std::vector<std::uint32_t> Descending(const Texts& texts)
{
    return DescendingOrder(texts.size(), [&](std::size_t i) { return std::string_view(texts[i]); });
}

// Texts that tie often and differ late: a few stems of up to 40 bytes (zero bytes and bytes
// from 0x80 up among them) cut at any length, some with a short random tail, so that lengths
// straddle 8, 16, 24 and 32 and long shared prefixes are common.
Texts RandomTexts(std::mt19937& random, std::size_t count)
{
    const std::string alphabet("a\0b\x7f\x80\xff ", 7);
    std::vector<std::string> stems(1 + random() % 6);
    for (std::string& stem : stems)
        for (std::size_t i = 0; i < 40; ++i)
            stem += alphabet[random() % alphabet.size()];
    Texts texts(count);
    for (std::string& text : texts) {
        const std::string& stem = stems[random() % stems.size()];
        text = stem.substr(0, random() % (stem.size() + 1));
        if (random() % 3 == 0)
            for (std::size_t tail = random() % 3; tail > 0; --tail)
                text += alphabet[random() % alphabet.size()];
    }
    return texts;
}

}  // namespace

TEST(TextOrder, MatchesAStableSortOfTheBytes)
{
    const Texts fixed = {"",          std::string(1, '\0'), std::string(2, '\0'), "a",
                         "a\xff",     std::string("a\0", 2), "abcdefgh", "abcdefg",
                         "abcdefghi", "abcdefgh\0", "\x80", "\x7f", "abcdefghijklmnop",
                         "abcdefghijklmnoq", "abcdefghijklmnop", "",  "a"};
    EXPECT_EQ(Descending(fixed), StableDescending(fixed));
    EXPECT_TRUE(Descending({}).empty());

    std::mt19937 random(11);
    // Sizes around the one where counting digits takes over from insertion, and past the one
    // where the keys are first split by their highest digit.
    for (std::size_t count : {2, 5, 63, 64, 65, 200, 3000, 20000, 100000}) {
        for (int round = 0; round < (count > 20000 ? 2 : 6); ++round) {
            const Texts texts = RandomTexts(random, count);
            ASSERT_EQ(Descending(texts), StableDescending(texts)) << count << " " << round;
        }
    }
}

TEST(TextOrder, TiesOfLongTextsKeepTheirOrder)
{
    // Equal texts far longer than the bytes the keys hold, with one that differs only in its
    // last byte and one that is a prefix of the others.
    const std::string longText(300, 'x');
    Texts texts(500, longText);
    texts[7].back() = 'y';
    texts[300].pop_back();
    texts[400] = longText + '\0';
    EXPECT_EQ(Descending(texts), StableDescending(texts));
}

TEST(Collection, SortReportsItsOrderAndReversesWhenSortedAgain)
{
    std::mt19937 random(5);
    const Texts texts = RandomTexts(random, 2000);
    Collection rows;
    for (const std::string& text : texts)  // bottom row first: memory index = text index
        rows.LoadBottomUp({CoinRecord::FromTexts({"n", text})});
    const std::vector<CoinRecord> before = rows.BottomUp();

    std::vector<std::uint32_t> order;
    ASSERT_FALSE(rows.SortByColumn(CoinField::Year, order));
    EXPECT_EQ(order, StableDescending(texts));
    for (std::size_t i = 0; i < order.size(); ++i)
        ASSERT_EQ(rows.BottomUp()[i], before[order[i]]) << i;

    const std::vector<CoinRecord> sorted = rows.BottomUp();
    ASSERT_TRUE(rows.SortByColumn(CoinField::Year, order));
    EXPECT_TRUE(order.empty());
    EXPECT_TRUE(std::equal(sorted.rbegin(), sorted.rend(), rows.BottomUp().begin()));
}
