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

// Whether a record holds ASCII alone looks at every field, short or long.
TEST(CoinRecord, IsAsciiLooksAtEveryText)
{
    EXPECT_TRUE(CoinRecord().IsAscii());
    CoinRecord record = CoinRecord::FromTexts({"Thaler", "1780", "", "", "", "", "", "", "", "",
                                               "", "", std::string(CoinRecord::kSharedFrom, 'x')});
    EXPECT_TRUE(record.IsAscii());
    const CoinRecord copy = record;
    record.Set(CoinField::Country, "\xC3\x96sterreich");
    EXPECT_FALSE(record.IsAscii());
    EXPECT_TRUE(copy.IsAscii());  // copies share texts but not changes
    record.Set(CoinField::Country, "Austria");
    record.Set(CoinField::Description, std::string(CoinRecord::kSharedFrom, 'x') + "\xE2\x82\xAC");
    EXPECT_FALSE(record.IsAscii());
    record.Set(CoinField::Name, std::string(9, '\x7F'));
    record.Set(CoinField::Description, "");
    EXPECT_TRUE(record.IsAscii());

    // A record moved from is empty rather than pointing into the texts it gave away.
    CoinRecord taken = std::move(record);
    EXPECT_EQ(record, CoinRecord());  // NOLINT(bugprone-use-after-move)
    EXPECT_EQ(taken.Get(CoinField::Country), "Austria");
    record = std::move(taken);
    EXPECT_EQ(taken, CoinRecord());  // NOLINT(bugprone-use-after-move)
    EXPECT_EQ(record.Get(CoinField::Name), std::string(9, '\x7F'));
}
