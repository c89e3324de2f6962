#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "core/TestSupport.h"
#include "storage/DataFile.h"

namespace {

// The text with every line feed as CR LF, as the files are on disk.
std::string OnDisk(std::string_view text)
{
    std::string bytes;
    for (char c : text)
        bytes += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return bytes;
}

const CoinRecord kMorgan = CoinRecord::FromTexts(
    {"Morgan Dollar", "1921", "1 Dollar", "United States", "D", "Fine", "25.00", "2005-03-14",
     "30.00", "2005-06-02", "Silver Dollars", "morgan.jpg", "Light wear on the cheek."});
const CoinRecord kBuffalo = CoinRecord::FromTexts({"Buffalo Nickel", "1936", "5 Cents",
                                                   "United States", "", "Very Fine", "2.50",
                                                   "2005-02-01", "", "", "Nickels", "", ""});

}  // namespace

TEST(DataFile, WritesTheCollectionBottomRowFirstInExactBytes)
{
    testsupport::TempDir dir;
    const std::string path = dir.File(kDataFileName);
    Collection collection;
    collection.InsertTop(kMorgan);
    collection.InsertTop(kBuffalo);  // the top row
    ASSERT_TRUE(WriteDataFile(path, collection));

    EXPECT_EQ(testsupport::ReadBytes(path), OnDisk(R"(CREATOR=NMR 1.0
NAME=Morgan Dollar
YEAR=1921
FACEVALUE=1 Dollar
COUNTRY=United States
MINTMARKS=D
CONDITION=Fine
PURCHASEPRICE=25.00
PURCHASEDATE=2005-03-14
CURRENTVALUE=30.00
VALUATIONDATE=2005-06-02
CATEGORY=Silver Dollars
IMAGE=morgan.jpg
DESCRIPTION=Light wear on the cheek.

NAME=Buffalo Nickel
YEAR=1936
FACEVALUE=5 Cents
COUNTRY=United States
MINTMARKS=
CONDITION=Very Fine
PURCHASEPRICE=2.50
PURCHASEDATE=2005-02-01
CURRENTVALUE=
VALUATIONDATE=
CATEGORY=Nickels
IMAGE=
DESCRIPTION=
)"));
    EXPECT_EQ(ReadDataFile(path), (std::vector<CoinRecord>{kMorgan, kBuffalo}));

    ASSERT_TRUE(WriteDataFile(path, Collection()));
    EXPECT_EQ(testsupport::ReadBytes(path), "");
    EXPECT_TRUE(ReadDataFile(path).empty());
}

TEST(DataFile, AwkwardValuesSurviveSaveAndLoad)
{
    testsupport::TempDir dir;
    const std::string path = dir.File(kDataFileName);
    Collection collection;
    collection.InsertTop(CoinRecord::FromTexts(
        {"  Thaler", "1780", "1=one", "\xC3\x96sterreich", "", "", "", "", "", "", "", "a=b.jpg",
         "First line\n\n  indented third\n"}));
    collection.InsertTop(kBuffalo);
    collection.InsertTop(CoinRecord::FromTexts({std::string("nul\0name", 8), "", "", "", "", "",
                                                "", "", "", "", "", "", "=\n="}));
    ASSERT_TRUE(WriteDataFile(path, collection));

    Collection loaded;
    loaded.LoadBottomUp(ReadDataFile(path));
    ASSERT_EQ(loaded.Count(), collection.Count());
    for (int row = 0; row < collection.Count(); ++row)
        EXPECT_EQ(loaded.Row(row), collection.Row(row)) << "row " << row;
}

TEST(DataFile, LoaderGroupsRecordsAndCarriesValuesOver)
{
    struct Case {
        const char* name;
        std::string text;
        std::vector<CoinRecord> expected;
    };
    const Case cases[] = {
        {"values carry into later records; unknown keys skipped",
         "CREATOR=NMR 1.0\nCATEGORY=Early\nNAME=A\nWEIGHT=5 g\nYEAR=1900\nNAME=B\n"
         "name=x\n NAME=C\n",
         {CoinRecord::FromTexts({"A", "1900", "", "", "", "", "", "", "", "", "Early"}),
          CoinRecord::FromTexts({"B", "1900", "", "", "", "", "", "", "", "", "Early"})}},
        {"empty name dropped but its values carry", "NAME=\nYEAR=1800\nNAME=X",
         {CoinRecord::FromTexts({"X", "1800"})}},
        {"two NAME lines in a row", "YEAR=1\nNAME=A\nNAME=B\n",
         {CoinRecord::FromTexts({"A", "1"}), CoinRecord::FromTexts({"B", "1"})}},
        {"header only", "CREATOR=NMR 1.0\r\n", {}},
        {"old plain form with a stray second description line",
         "NAME=A\r\nDESCRIPTION=one\r\ntwo\r\nNAME=B\r\n",
         {CoinRecord::FromTexts({"A", "", "", "", "", "", "", "", "", "", "", "", "one"}),
          CoinRecord::FromTexts({"B", "", "", "", "", "", "", "", "", "", "", "", "one"})}},
        {"Windows-1252 file", "NAME=Fran\xE7" "ais\nCURRENTVALUE=\x80 5",
         {CoinRecord::FromTexts({"Fran\xC3\xA7" "ais", "", "", "", "", "", "", "",
                                 "\xE2\x82\xAC 5"})}},
    };
    testsupport::TempDir dir;
    for (const Case& c : cases) {
        testsupport::WriteBytes(dir.File(kDataFileName), c.text);
        EXPECT_EQ(ReadDataFile(dir.File(kDataFileName)), c.expected) << c.name;
    }
}
