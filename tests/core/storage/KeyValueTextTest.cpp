#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "core/TestSupport.h"
#include "storage/KeyValueText.h"

using Pairs = std::vector<std::pair<std::string, std::string>>;

namespace {

Pairs ReadAll(KeyValueReader reader)
{
    Pairs pairs;
    std::string key, value;
    while (reader.NextPair(key, value))
        pairs.emplace_back(key, value);
    return pairs;
}

Pairs ReadText(std::string text) { return ReadAll(KeyValueReader::FromText(std::move(text))); }

}  // namespace

TEST(KeyValueText, ReaderSplitsLinesAndTrimsTheirEnds)
{
    struct Case {
        const char* name;
        std::string text;
        Pairs expected;
    };
    const Case cases[] = {
        {"CR LF", "CREATOR=NMR 1.0\r\nNAME=Buffalo Nickel\r\nYEAR=1936\r\n",
         {{"CREATOR", "NMR 1.0"}, {"NAME", "Buffalo Nickel"}, {"YEAR", "1936"}}},
        {"LF only", "CREATOR=NMR 1.0\nNAME=Buffalo Nickel\nYEAR=1936\n",
         {{"CREATOR", "NMR 1.0"}, {"NAME", "Buffalo Nickel"}, {"YEAR", "1936"}}},
        {"value keeps later equals; last line without break", "IMAGE=a=b.jpg\nYEAR",
         {{"IMAGE", "a=b.jpg"}, {"YEAR", ""}}},
        {"leading spaces stay, trailing go", "NAME=  Buffalo Nickel  \t\v\f\r\n",
         {{"NAME", "  Buffalo Nickel"}}},
        {"blank and space-only lines", "\n   \n", {{"", ""}, {"", ""}}},
        {"lone CR is a character", "A=x\ry\n", {{"A", "x\ry"}}},
        {"NUL bytes kept", std::string("A=x\0y\n", 6), {{"A", std::string("x\0y", 3)}}},
        {"continuation lines", "D=one\n=two\n=\n=4=four\nE=",
         {{"D", "one\ntwo\n\n4=four"}, {"E", ""}}},
        {"blank line ends a value", "D=one\n\n=x\n", {{"D", "one"}, {"", "\nx"}}},
        {"continuation before any pair", "=stray\n=more\nA=1", {{"A", "1"}}},
        {"spaced equals is no continuation", "A=1\n =2\n", {{"A", "1"}, {" ", "2"}}},
        {"empty input", "", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ReadText(c.text), c.expected) << c.name;
}

TEST(KeyValueText, ValuesSurviveWriteAndRead)
{
    const std::string values[] = {
        "",       "a=b=c", "  leading spaces", "a\n\n\n b", "ends\n", "\n", "=starts with equals",
        "\xC3\xA7 \xE2\x82\xAC", std::string("nul\0inside", 10),
    };
    for (const std::string& value : values) {
        std::string text(kKeyValueHeader);
        AppendPair(text, "DESCRIPTION", value);
        AppendPair(text, "NEXT", "x");
        const Pairs expected = {{"CREATOR", "NMR 1.0"}, {"DESCRIPTION", value}, {"NEXT", "x"}};
        EXPECT_EQ(ReadText(text), expected) << testing::PrintToString(value);
    }
}

TEST(KeyValueText, AppendPairWritesContinuationLines)
{
    std::string text(kKeyValueHeader);
    AppendPair(text, "NAME", "Buffalo Nickel");
    AppendPair(text, "DESCRIPTION", "a\n\nb\n");
    EXPECT_EQ(text, "CREATOR=NMR 1.0\nNAME=Buffalo Nickel\nDESCRIPTION=a\n=\n=b\n=");
}

TEST(KeyValueText, FilesOnDiskUseCrLfAndAreReadBack)
{
    testsupport::TempDir dir;
    const std::string path = dir.File("f.txt");
    {
        KeyValueWriter writer(path);
        ASSERT_TRUE(writer.IsOpen());
        writer.Write("A=1\nB=x\r\n\n");
        ASSERT_TRUE(writer.Commit());
    }
    EXPECT_EQ(testsupport::ReadBytes(path), "A=1\r\nB=x\r\r\n\r\n");
    EXPECT_EQ(ReadAll(KeyValueReader(path)), (Pairs{{"A", "1"}, {"B", "x"}, {"", ""}}));

}

TEST(KeyValueText, MissingFileIsCreatedEmptyAndUnreadableGivesNothing)
{
    testsupport::TempDir dir;
    KeyValueReader missing(dir.File("nmr.dat"));
    EXPECT_TRUE(missing.IsOpen());
    EXPECT_TRUE(ReadAll(std::move(missing)).empty());
    EXPECT_EQ(testsupport::ReadBytes(dir.File("nmr.dat")), "");

    KeyValueReader folder(dir.Path().string());
    EXPECT_FALSE(folder.IsOpen());
    EXPECT_TRUE(ReadAll(std::move(folder)).empty());

}
