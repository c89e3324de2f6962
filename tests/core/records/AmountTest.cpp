#include <gtest/gtest.h>

#include <limits>
#include <optional>

#include "records/Amount.h"

namespace {

struct AmountCase {
    const char* text;
    std::optional<Cents> expected;
};

constexpr std::optional<Cents> kRefused = std::nullopt;

}  // namespace

TEST(ReadAmount, ReadsTheFormsCollectorsTypeAndRefusesWhatCouldBeGuessedOnly)
{
    const AmountCase cases[] = {
        // Plain numbers and decimals.
        {"25", 2500},
        {"0", 0},
        {"25.5", 2550},
        {"25.50", 2550},
        {"0.75", 75},
        {".50", 50},
        {",50", 50},
        {"1,5", 150},
        {"007", 700},
        // Thousands, English and continental.
        {"1,234.50", 123450},
        {"1.234,50", 123450},
        {"1 234,50", 123450},
        {"1\xC2\xA0" "234,50", 123450},        // no-break space
        {"1\xE2\x80\xAF" "234,50", 123450},    // narrow no-break space
        {"1'234.50", 123450},
        {"1\xE2\x80\x99" "234.50", 123450},    // typographic apostrophe
        {"1,234", 123400},
        {"1.234", 123400},
        {"1,000,000", 100000000},
        {"2.000.000,00", 200000000},
        {"1 234 567,89", 123456789},
        {"999999999999", 99999999999900},
        // Currency signs, codes and words around the number.
        {"$25", 2500},
        {"25$", 2500},
        {"US$ 25", 2500},
        {"25 EUR", 2500},
        {"EUR 25", 2500},
        {"\xE2\x82\xAC 1.234,50", 123450},     // € 1.234,50
        {"1.234,50\xE2\x82\xAC", 123450},
        {"1 234,50 K\xC4\x8D", 123450},        // Kč
        {"CHF 1'234.50", 123450},
        {"\xC2\xA3" "3.50", 350},              // £3.50
        {"\xC2\xA5" "1000", 100000},           // ¥1000
        {"R$ 12,50", 1250},
        {"z\xC5\x82 12,50", 1250},             // zł
        {"25,-", 2500},
        {"25,--", 2500},
        {"Fr. 25.\xE2\x80\x93", 2500},         // Fr. 25.–
        {"DM 10,-", 1000},
        {"ca. 30", 3000},
        {"approx. $40", 4000},
        {"~40", 4000},
        {"about 40 dollars", 4000},
        {"25.00 each", 2500},
        {"(25.00)", 2500},
        {"Paid 25.00.", 2500},
        {"  25  ", 2500},
        // Signs and hundredths.
        {"-5", -500},
        {"-$5", -500},
        {"$-5", -500},
        {"\xE2\x88\x92" "5.25", -525},         // − (minus sign)
        {"50\xC2\xA2", 50},                    // 50¢
        {"50c", 50},
        {"25 cents", 25},
        {"10 Ct", 10},
        {"50p", 50},
        {"20 centimes", 20},
        {"1,250 cents", 1250},
        // Nothing to read.
        {"", kRefused},
        {"free", kRefused},
        {"n/a", kRefused},
        {"-", kRefused},
        {"unknown", kRefused},
        {"?", kRefused},
        // More than one number.
        {"10-20", kRefused},
        {"10 - 20", kRefused},
        {"5 or 6", kRefused},
        {"2 x 5.00", kRefused},
        {"1/2", kRefused},
        {"2005-03-07", kRefused},
        {"12.50 (2 coins)", kRefused},
        {"\xC2\xA3" "1 10s 6d", kRefused},
        {"5 6", kRefused},
        {"12 34", kRefused},
        {"1 2345", kRefused},
        {"1e3", kRefused},
        {"1, 2", kRefused},
        {"25,-5", kRefused},
        // Decimals and groups that allow no single reading.
        {"0.125", kRefused},
        {"1.2345", kRefused},
        {"1,5000", kRefused},
        {"12.345,678", kRefused},
        {"1,23,456", kRefused},
        {"1.234.5", kRefused},
        {"1234.567", kRefused},
        {"1.234.567,8.9", kRefused},
        {"1'234 567", kRefused},
        {"1.234 567", kRefused},
        {".5.000", kRefused},
        {"1234567890123", kRefused},
        // Bounds, shares, doubt, other digits, fractions of a cent.
        {">100", kRefused},
        {"<5", kRefused},
        {"50%", kRefused},
        {"25?", kRefused},
        {"\xC2\xBD", kRefused},                // ½
        {"2\xC2\xBD", kRefused},               // 2½
        {"\xD9\xA3", kRefused},                // Arabic-Indic three
        {"\xEF\xBC\x95", kRefused},            // fullwidth five
        {"2.5c", kRefused},
    };
    for (const AmountCase& c : cases)
        EXPECT_EQ(ReadAmount(c.text), c.expected) << "text: \"" << c.text << '"';
}

TEST(ReadAmount, IgnoresBytesThatAreNotUtf8AroundTheNumber)
{
    EXPECT_EQ(ReadAmount("\x80 25,50 \xFF"), 2550);
    EXPECT_EQ(ReadAmount("\xE2\x82"), std::nullopt);  // a cut-off euro sign, no number
}

TEST(AmountText, WritesTwoDecimalsAndGroupsThousands)
{
    EXPECT_EQ(AmountText(0), "0.00");
    EXPECT_EQ(AmountText(5), "0.05");
    EXPECT_EQ(AmountText(-5), "-0.05");
    EXPECT_EQ(AmountText(123450), "1,234.50");
    EXPECT_EQ(AmountText(-100000000), "-1,000,000.00");
    EXPECT_EQ(AmountText(99999), "999.99");
    EXPECT_EQ(AmountText(std::numeric_limits<Cents>::min()), "-92,233,720,368,547,758.08");
}

TEST(AmountText, ReadsBackAsTheSameAmount)
{
    for (Cents amount : {Cents{0}, Cents{1}, Cents{99}, Cents{100}, Cents{123456},
                         Cents{-123456}, Cents{99999999999999}})
        EXPECT_EQ(ReadAmount(AmountText(amount)), amount) << AmountText(amount);
}

TEST(AddAmounts, HoldsAtTheLimitsInsteadOfOverflowing)
{
    constexpr Cents kMax = std::numeric_limits<Cents>::max();
    constexpr Cents kMin = std::numeric_limits<Cents>::min();
    EXPECT_EQ(AddAmounts(2, 3), 5);
    EXPECT_EQ(AddAmounts(kMax, 1), kMax);
    EXPECT_EQ(AddAmounts(kMin, -1), kMin);
    EXPECT_EQ(AddAmounts(kMax, kMin), -1);
}
