#include <gtest/gtest.h>

#include "core/TestSupport.h"
#include "storage/KeyValueText.h"
#include "storage/TextEncoding.h"

using Pairs = std::vector<std::pair<std::string, std::string>>;

static Pairs ReadAll(KeyValueReader reader)
{
    Pairs pairs;
    for (std::string key, value; reader.NextPair(key, value);)
        pairs.emplace_back(key, value);
    return pairs;
}

TEST(KeyValueText, ReaderSplitsLinesJoinsContinuationsAndTrimsLineEnds)
{
    const std::pair<std::string, Pairs> cases[] = {
        {"A=1\r\nIMAGE=a=b.jpg\nYEAR", {{"A", "1"}, {"IMAGE", "a=b.jpg"}, {"YEAR", ""}}},
        {"NAME=  Buffalo Nickel  \t\v\f\r\n", {{"NAME", "  Buffalo Nickel"}}},
        {std::string("A=x\ry\0z\n", 8), {{"A", std::string("x\ry\0z", 5)}}},  // lone CR, NUL
        {"D=one\n=two\n=\n=4=four\nE=", {{"D", "one\ntwo\n\n4=four"}, {"E", ""}}},
        {"D=one\n\n=x\n", {{"D", "one"}, {"", "\nx"}}},  // a blank line ends a value
        {"=stray\n=more\nA=1\n =2\n", {{"A", "1"}, {" ", "2"}}},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(ReadAll(KeyValueReader::FromText(text)), expected) << text;

    std::string text(kKeyValueHeader);
    AppendPair(text, "DESCRIPTION", "a\n\nb\n");
    EXPECT_EQ(text, "CREATOR=NMR 1.0\nDESCRIPTION=a\n=\n=b\n=");
    std::string lines;
    AppendPairLines(lines, "DESCRIPTION", "a\r\n\nb\n");
    EXPECT_EQ(lines, "\r\nDESCRIPTION=a\r\r\n=\r\n=b\r\n=");

    // A line break anywhere in a value of any length is found, including bytes next to it that
    // differ from a line feed by one bit (0x0B, 0x8A).
    for (std::size_t size = 0; size <= 40; ++size) {
        for (std::size_t at = 0; at <= size; ++at) {
            std::string value(size, '\x0B');
            for (std::size_t i = 0; i < size; i += 3)
                value[i] = '\x8A';
            if (at < size)
                value[at] = '\n';
            std::string expected = "\r\nK=" + value;
            if (at < size)
                expected.replace(4 + at, 1, "\r\n=");
            std::string out;
            AppendPairLines(out, "K", value);
            ASSERT_EQ(out, expected) << "size " << size << ", line feed at " << at;
        }
    }
}

// A large text is given back to the system as it is read: every pair after that still reads
// as written, values joined across continuation lines included, wherever the steps fall.
TEST(KeyValueText, ALargeTextReadsWholeWhileItsReadPartIsGivenBack)
{
    std::string text(kKeyValueHeader);
    Pairs expected = {{"CREATOR", "NMR 1.0"}};
    for (int i = 0; text.size() < (std::size_t{48} << 20); ++i) {
        std::string value = std::to_string(i) + std::string(static_cast<std::size_t>(i % 97), 'v');
        if (i % 5 == 0)
            value += "\nsecond line " + std::to_string(i) + "\n";
        AppendPair(text, "K" + std::to_string(i % 13), value);
        expected.emplace_back("K" + std::to_string(i % 13), value);
    }
    EXPECT_EQ(ReadAll(KeyValueReader::FromText(text)), expected);

    KeyValueReader views = KeyValueReader::FromText(text);
    std::size_t i = 0, mismatches = 0;
    for (std::string_view key, value; views.NextPair(key, value); ++i)
        mismatches += i >= expected.size() || key != expected[i].first || value != expected[i].second;
    EXPECT_EQ(i, expected.size());
    EXPECT_EQ(mismatches, 0u);
}

TEST(KeyValueText, FilesUseCrLfAndAMissingFileIsCreatedEmpty)
{
    TempDir dir;
    KeyValueWriter writer(dir.File("f"));
    writer.Write("A=1\nB=x\r\n\n");
    ASSERT_TRUE(writer.Commit());
    EXPECT_EQ(ReadBytes(dir.File("f")), "A=1\r\nB=x\r\r\n\r\n");
    EXPECT_EQ(ReadAll(KeyValueReader(dir.File("f"))), Pairs({{"A", "1"}, {"B", "x"}, {"", ""}}));

    KeyValueReader missing(dir.File("nmr.dat"));
    EXPECT_TRUE(missing.IsOpen() && ReadAll(std::move(missing)).empty());
    EXPECT_EQ(ReadBytes(dir.File("nmr.dat")), "");
    EXPECT_FALSE(KeyValueReader(dir.path.string()).IsOpen());
}

// Files are UTF-8 when every byte sequence is well-formed, otherwise Windows-1252 as a whole.
TEST(TextEncoding, FileTextIsUtf8OrElseWindows1252)
{
    const std::pair<std::string, std::string> cases[] = {
        {"\xEF\xBB\xBF\xE2\x82\xAC\xF0\x9F\xAA\x99", "\xE2\x82\xAC\xF0\x9F\xAA\x99"},  // no BOM
        {"\xC3\xA7\xC3", "\xC3\x83\xC2\xA7\xC3\x83"},          // cut short: the whole file is 1252
        {"\xC0\xAF", "\xC3\x80\xC2\xAF"},                      // overlong
        {"\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xE2\x82\xAC"},      // surrogate
        {"\xF4\x90\x80\x80", "\xC3\xB4\xC2\x90\xE2\x82\xAC\xE2\x82\xAC"},  // above U+10FFFF
        {"\x9F\x81\x8D\x8F\x90\x9D\xFF",  // undefined bytes become C1 controls
         "\xC5\xB8\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D\xC3\xBF"},
    };
    for (const auto& [bytes, text] : cases)
        EXPECT_EQ(DecodeFileText(bytes), text) << testing::PrintToString(bytes);
}
