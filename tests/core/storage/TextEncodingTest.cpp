#include <gtest/gtest.h>

#include "storage/TextEncoding.h"

TEST(TextEncoding, Utf8CheckRejectsMalformedSequences)
{
    struct Case {
        std::string_view bytes;
        bool valid;
    };
    const Case cases[] = {
        {"plain ASCII", true},
        {"Fran\xC3\xA7" "ais \xE2\x82\xAC \xF0\x9F\xAA\x99", true},
        {std::string_view("nul\0byte", 8), true},
        {"\xC3", false},               // cut short
        {"\xC0\xAF", false},           // overlong "/"
        {"\xE0\x80\xAF", false},       // overlong, three bytes
        {"\xED\xA0\x80", false},       // surrogate
        {"\xF4\x90\x80\x80", false},   // above U+10FFFF
        {"\x80", false},               // lone continuation byte
        {"Fran\xE7" "ais", false},     // Windows-1252
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsValidUtf8(c.bytes), c.valid) << testing::PrintToString(std::string(c.bytes));
}

TEST(TextEncoding, Windows1252MapsEveryHighByte)
{
    EXPECT_EQ(Windows1252ToUtf8("\x80"), "\xE2\x82\xAC");  // euro sign
    EXPECT_EQ(Windows1252ToUtf8("\x9F"), "\xC5\xB8");      // Y with diaeresis
    EXPECT_EQ(Windows1252ToUtf8("\x81\x8D\x8F\x90\x9D"),
              "\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D");  // undefined: C1 controls
    EXPECT_EQ(Windows1252ToUtf8("\xA0\xE7\xFF"), "\xC2\xA0\xC3\xA7\xC3\xBF");

    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    EXPECT_TRUE(IsValidUtf8(Windows1252ToUtf8(all)));
}

TEST(TextEncoding, FileTextDropsByteOrderMarkAndFallsBackToWindows1252)
{
    EXPECT_EQ(DecodeFileText("\xEF\xBB\xBFNAME=\xC3\xA7"), "NAME=\xC3\xA7");
    EXPECT_EQ(DecodeFileText("NAME=Fran\xE7" "ais \x80"), "NAME=Fran\xC3\xA7" "ais \xE2\x82\xAC");
    // One bad byte anywhere decides for the whole file, earlier UTF-8 look-alikes included.
    EXPECT_EQ(DecodeFileText("\xC3\xA7\xE7"), "\xC3\x83\xC2\xA7\xC3\xA7");
    EXPECT_EQ(DecodeFileText(""), "");
}
