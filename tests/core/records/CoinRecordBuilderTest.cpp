#include <gtest/gtest.h>

#include "records/CoinRecordBuilder.h"

// Records made one after another from fields set as a file gives them.
TEST(CoinRecordBuilder, FieldsCarryOverAndLongTextsAreShared)
{
    CoinRecordBuilder builder;
    EXPECT_EQ(builder.Build(), CoinRecord());

    builder.Set(CoinField::Name, "Morgan Dollar");
    builder.Set(CoinField::Year, "1921");
    builder.Set(CoinField::Description, "two\nlines");
    const CoinRecord first = builder.Build();
    EXPECT_EQ(first, CoinRecord::FromTexts({"Morgan Dollar", "1921", "", "", "", "", "", "", "", "",
                                            "", "", "two\nlines"}));

    // The next record keeps what it is not given; a text of the shared size is kept once.
    const std::string longText(CoinRecord::kSharedFrom, 'd');
    builder.Set(CoinField::Name, "Buffalo Nickel");
    builder.Set(CoinField::Description, longText);
    builder.Set(CoinField::Year, "");
    const CoinRecord second = builder.Build();
    const CoinRecord third = builder.Build();
    EXPECT_EQ(second, CoinRecord::FromTexts({"Buffalo Nickel", "", "", "", "", "", "", "", "", "", "",
                                             "", longText}));
    EXPECT_EQ(second.Get(CoinField::Description).data(), third.Get(CoinField::Description).data());
    EXPECT_EQ(second.TextSize(), std::string("Buffalo Nickel").size() + longText.size());
    EXPECT_EQ(first.Get(CoinField::Name), "Morgan Dollar");  // records made stay as they were

    // A short text after a long one is packed again.
    builder.Set(CoinField::Description, "short");
    builder.Set(CoinField::Image, std::string(CoinRecord::kSharedFrom + 1, 'i'));
    const CoinRecord fourth = builder.Build();
    EXPECT_EQ(fourth.Get(CoinField::Description), "short");
    EXPECT_EQ(fourth.Get(CoinField::Image).size(), CoinRecord::kSharedFrom + 1);
    EXPECT_EQ(fourth.Get(CoinField::Name), "Buffalo Nickel");
    EXPECT_EQ(builder.Get(CoinField::Description), "short");
}

// The fields holding bytes above ASCII are found in every field, short or long, wherever
// such a byte lies in the packed texts: first or last, alone or in a run of them.
TEST(CoinRecord, NonAsciiFieldsLooksAtEveryText)
{
    const auto bit = [](CoinField f) { return std::uint32_t{1} << FieldIndex(f); };
    EXPECT_EQ(CoinRecord().NonAsciiFields(), 0u);
    CoinRecord record = CoinRecord::FromTexts({"Thaler", "1780", "", "", "", "", "", "", "", "",
                                               "", "", std::string(CoinRecord::kSharedFrom, 'x')});
    EXPECT_EQ(record.NonAsciiFields(), 0u);
    const CoinRecord copy = record;
    record.Set(CoinField::Country, "\xC3\x96sterreich");
    EXPECT_EQ(record.NonAsciiFields(), bit(CoinField::Country));
    EXPECT_EQ(copy.NonAsciiFields(), 0u);  // copies share texts but not changes
    record.Set(CoinField::Country, "Austria");
    record.Set(CoinField::Description, std::string(CoinRecord::kSharedFrom, 'x') + "\xE2\x82\xAC");
    EXPECT_EQ(record.NonAsciiFields(), bit(CoinField::Description));
    record.Set(CoinField::Name, std::string(9, '\x7F'));
    record.Set(CoinField::Description, "");
    EXPECT_EQ(record.NonAsciiFields(), 0u);

    // Texts long enough that the high bytes fall in the sixteen-byte steps and in the bytes
    // after them, in the first field, the last, and fields with empty ones between.
    const std::string longAscii(40, 'a');
    for (std::size_t place : {std::size_t{0}, std::size_t{15}, std::size_t{16}, std::size_t{39}}) {
        std::string high = longAscii;
        high[place] = '\xE9';
        CoinRecord spread = CoinRecord::FromTexts({high, longAscii, "", "", high, "", "", "", "", "", "", "",
                                                   high});
        EXPECT_EQ(spread.NonAsciiFields(), bit(CoinField::Name) | bit(CoinField::MintMarks) |
                                               bit(CoinField::Description))
            << place;
        spread.Set(CoinField::Name, std::string(3, '\xFF'));
        spread.Set(CoinField::MintMarks, longAscii);
        EXPECT_EQ(spread.NonAsciiFields(), bit(CoinField::Name) | bit(CoinField::Description)) << place;
    }

    // A record moved from is empty rather than pointing into the texts it gave away.
    CoinRecord taken = std::move(record);
    EXPECT_EQ(record, CoinRecord());  // NOLINT(bugprone-use-after-move)
    EXPECT_EQ(taken.Get(CoinField::Country), "Austria");
    record = std::move(taken);
    EXPECT_EQ(taken, CoinRecord());  // NOLINT(bugprone-use-after-move)
    EXPECT_EQ(record.Get(CoinField::Name), std::string(9, '\x7F'));
}

// The most short text a record can hold: every field one byte short of being kept apart. Each
// field keeps its own bytes, whether the record is built, changed field by field or read from
// a data file, and a field that grows past the short size is kept apart.
TEST(CoinRecord, HoldsThirteenTextsOfTheLargestShortSize)
{
    std::array<std::string, kCoinFieldCount> texts;
    CoinRecordBuilder builder;
    CoinRecord changed;
    for (CoinField field : kCoinFields) {
        const int i = FieldIndex(field);
        texts[i] = std::string(CoinRecord::kSharedFrom - 1, static_cast<char>('a' + i));
        builder.Set(field, texts[i]);
        changed.Set(field, texts[i]);
    }
    const CoinRecord built = builder.Build();
    for (CoinField field : kCoinFields) {
        EXPECT_EQ(built.Get(field), texts[FieldIndex(field)]) << FieldIndex(field);
        EXPECT_EQ(changed.Get(field), texts[FieldIndex(field)]) << FieldIndex(field);
    }
    EXPECT_EQ(built.TextSize(), kCoinFieldCount * (CoinRecord::kSharedFrom - 1));

    changed.Set(CoinField::Year, std::string(CoinRecord::kSharedFrom, 'Y'));
    EXPECT_EQ(changed.Get(CoinField::Year), std::string(CoinRecord::kSharedFrom, 'Y'));
    EXPECT_EQ(changed.Get(CoinField::FaceValue), texts[FieldIndex(CoinField::FaceValue)]);
    EXPECT_EQ(changed.Get(CoinField::Description), texts[FieldIndex(CoinField::Description)]);
}
