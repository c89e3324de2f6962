#include <gtest/gtest.h>

#include "core/TestSupport.h"
#include "storage/CsvMapFile.h"

namespace {

using F = CoinField;

TEST(CsvMapFile, KeepsOneMapPerHeaderRowAndFindsItAgain)
{
    TempDir dir;
    const std::string path = dir.File(kCsvMapFileName);
    const std::vector<std::string> sheet{"Title", "Notes", " odd heading \t", "two\nlines"};
    const std::vector<std::string> other{"Coin", "Grade"};
    EXPECT_FALSE(FindSavedCsvMap(path, sheet));  // no file yet, and none is made
    EXPECT_FALSE(fs::exists(path));

    ASSERT_TRUE(SaveCsvMap(path, sheet, {F::Name, F::Description, std::nullopt, F::Description}));
    ASSERT_TRUE(SaveCsvMap(path, other, {F::Name, F::Condition}));
    EXPECT_EQ(FindSavedCsvMap(path, sheet),
              (CsvColumnMap{F::Name, F::Description, std::nullopt, F::Description}));
    EXPECT_EQ(FindSavedCsvMap(path, other), (CsvColumnMap{F::Name, F::Condition}));
    EXPECT_FALSE(FindSavedCsvMap(path, {"Coin"}));
    EXPECT_FALSE(FindSavedCsvMap(path, {"Coin", "Grade", "Year"}));

    // Saving for the same headings replaces that map only.
    ASSERT_TRUE(SaveCsvMap(path, other, {F::Category, F::Condition}));
    EXPECT_EQ(FindSavedCsvMap(path, other), (CsvColumnMap{F::Category, F::Condition}));
    EXPECT_EQ(ParseCsvMaps(ReadBytes(path)).size(), 2u);
    EXPECT_EQ(ReadBytes(path).substr(0, 17), "CREATOR=NMR 1.0\r\n");
}

TEST(CsvMapFile, IgnoresWhatItDoesNotKnowAndDropsAMapWithAnUnknownField)
{
    const std::vector<SavedCsvMap> maps = ParseCsvMaps(
        "CREATOR=NMR 1.0\nCOMMENT=x\nMAP=\nHEADING=A\nFIELD=NAME\nHEADING=B\nFIELD=\n"
        "MAP=\nHEADING=C\nFIELD=WEIGHT\nMAP=\nHEADING=D\nFIELD=YEAR\n");
    ASSERT_EQ(maps.size(), 2u);
    EXPECT_EQ(maps[0], (SavedCsvMap{{"A", "B"}, {F::Name, std::nullopt}}));
    EXPECT_EQ(maps[1], (SavedCsvMap{{"D"}, {F::Year}}));
    EXPECT_TRUE(ParseCsvMaps("").empty());
}

TEST(CsvMapFile, AFileThatCannotBeReadIsNotReplaced)
{
    TempDir dir;
    const std::string path = dir.File(kCsvMapFileName);
    fs::create_directory(path);  // not an ordinary file
    EXPECT_FALSE(SaveCsvMap(path, {"Title"}, {F::Name}));
    EXPECT_TRUE(fs::is_directory(path));
    EXPECT_FALSE(FindSavedCsvMap(path, {"Title"}));
}

}  // namespace
