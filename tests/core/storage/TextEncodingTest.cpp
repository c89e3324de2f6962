#include <gtest/gtest.h>

#include <iterator>
#include <random>
#include <string>

#include "storage/TextEncoding.h"

namespace {

// Both ways of checking, which must agree; the answer of the one that decodes character by
// character is the one expected.
bool CheckedAlike(const std::string& bytes)
{
    const bool expected = IsValidUtf8(bytes, Utf8Checking::CharacterByCharacter);
    EXPECT_EQ(IsValidUtf8(bytes), expected) << testing::PrintToString(bytes);
    return expected;
}

}  // namespace

// Every sequence of one or two bytes, and every lead byte of three or four with every second
// byte, the rest continuations or not, placed at each offset around the edge between two of
// the 32-byte blocks the fast check takes, and last in the text, where a character may be cut
// short.
TEST(Utf8, EverySequenceCheckedAlikeAtEveryPlace)
{
    const std::string ascii(40, 'a');
    int valid = 0;
    const auto at = [&](const std::string& sequence) {
        for (std::size_t place : {std::size_t{0}, std::size_t{1}, std::size_t{29}, std::size_t{30}, std::size_t{31},
                                  std::size_t{32}, std::size_t{33}, std::size_t{62}}) {
            valid += CheckedAlike(ascii.substr(0, place) + sequence + ascii.substr(0, 3)) ? 1 : 0;
            CheckedAlike(ascii.substr(0, place) + sequence);
        }
    };
    for (int a = 0; a < 256; ++a) {
        for (int b = 0; b < 256; ++b)
            at({static_cast<char>(a), static_cast<char>(b)});
    }
    for (int lead = 0xE0; lead < 0x100; ++lead) {
        for (int second = 0x70; second < 0xD0; ++second) {
            for (const char* rest : {"\x80", "\xBF", "\x7F", "\xC0", "\x80\x80", "\xBF\xBF", "\x80\x7F", "\x80\xC0"})
                at(std::string{static_cast<char>(lead), static_cast<char>(second)} + rest);
        }
    }
    EXPECT_GT(valid, 0);  // valid sequences were among them, not only invalid ones
    EXPECT_TRUE(IsValidUtf8(""));
    EXPECT_TRUE(IsValidUtf8("\xF4\x8F\xBF\xBF"));   // U+10FFFF
    EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));  // above it
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));      // a surrogate
    EXPECT_FALSE(IsValidUtf8("\xE0\x9F\xBF"));      // overlong
}

// Texts of every length up to a few blocks, of characters of one to four bytes with now and
// then a byte changed, inserted or taken away: both ways give the same answer.
TEST(Utf8, MixedTextsCheckedAlike)
{
    std::mt19937 random(20261208);
    const std::string characters[] = {"a", "=", "\r\n", "\xC3\x96", "\xC2\xBD", "\xE2\x82\xAC", "\xED\x9F\xBF",
                                      "\xEF\xBF\xBD", "\xF0\x9F\xAA\x99", "\xF4\x8F\xBF\xBF"};
    int valid = 0;
    int invalid = 0;
    for (int round = 0; round < 20000; ++round) {
        std::string text;
        const std::size_t length = random() % 140;
        while (text.size() < length)
            text += characters[random() % std::size(characters)];
        if (round % 2 == 1 && !text.empty()) {
            const std::size_t place = random() % text.size();
            switch (random() % 3) {
            case 0:
                text[place] = static_cast<char>(random() % 256);
                break;
            case 1:
                text.insert(place, 1, static_cast<char>(0x80 + random() % 128));
                break;
            default:
                text.erase(place, 1);
            }
        }
        (CheckedAlike(text) ? valid : invalid) += 1;
    }
    EXPECT_GT(valid, 5000);
    EXPECT_GT(invalid, 2000);
}
