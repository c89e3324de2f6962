#include <gtest/gtest.h>

#include <regex>

#include "core/TestSupport.h"
#include "storage/DataFile.h"

TEST(DataFile, WritesBottomRowFirstInExactBytesAndReadsBack)
{
    TempDir dir;
    const std::string path = dir.File(kDataFileName);
    const CoinRecord morgan = CoinRecord::FromTexts(
        {"Morgan Dollar", "1921", "1 Dollar", "United States", "D", "Fine", "25.00", "2005-03-14",
         "30.00", "2005-06-02", "Silver Dollars", "morgan.jpg", "Light wear on the cheek."});
    const CoinRecord buffalo = CoinRecord::FromTexts({"Buffalo Nickel", "1936", "5 Cents",
        "United States", "", "Very Fine", "2.50", "2005-02-01", "", "", "Nickels"});
    Collection collection;
    collection.InsertTop(morgan);
    collection.InsertTop(buffalo);  // the top row
    ASSERT_TRUE(WriteDataFile(path, collection));
    EXPECT_EQ(ReadBytes(path),
              "CREATOR=NMR 1.0\r\nNAME=Morgan Dollar\r\nYEAR=1921\r\nFACEVALUE=1 Dollar\r\n"
              "COUNTRY=United States\r\nMINTMARKS=D\r\nCONDITION=Fine\r\nPURCHASEPRICE=25.00\r\n"
              "PURCHASEDATE=2005-03-14\r\nCURRENTVALUE=30.00\r\nVALUATIONDATE=2005-06-02\r\n"
              "CATEGORY=Silver Dollars\r\nIMAGE=morgan.jpg\r\n"
              "DESCRIPTION=Light wear on the cheek.\r\n\r\n"
              "NAME=Buffalo Nickel\r\nYEAR=1936\r\nFACEVALUE=5 Cents\r\nCOUNTRY=United States\r\n"
              "MINTMARKS=\r\nCONDITION=Very Fine\r\nPURCHASEPRICE=2.50\r\n"
              "PURCHASEDATE=2005-02-01\r\nCURRENTVALUE=\r\nVALUATIONDATE=\r\nCATEGORY=Nickels\r\n"
              "IMAGE=\r\nDESCRIPTION=\r\n");
    EXPECT_EQ(ReadDataFile(path), (std::vector<CoinRecord>{morgan, buffalo}));

    collection.InsertTop(CoinRecord::FromTexts({"  Thaler", "1780", "1=one", "\xC3\x96sterreich",
        "", "", "", "", "", "", "", "=", "First line\n\n  indented third\n"}));
    ASSERT_TRUE(WriteDataFile(path, collection));
    EXPECT_EQ(ReadDataFile(path), collection.BottomUp());

    ASSERT_TRUE(WriteDataFile(path, Collection()));
    EXPECT_EQ(ReadBytes(path), "");
}

TEST(DataFile, LoaderCarriesValuesOverAndReadsLfAsCrLf)
{
    struct Case { const char* name; std::string text; std::vector<CoinRecord> expected; };
    const Case cases[] = {
        {"values carry into later records; unknown and spaced keys skipped",
         "CREATOR=NMR 1.0\nCATEGORY=Early\nNAME=A\nWEIGHT=5\nYEAR=1900\nNAME=B\nname=x\n NAME=C\n",
         {CoinRecord::FromTexts({"A", "1900", "", "", "", "", "", "", "", "", "Early"}),
          CoinRecord::FromTexts({"B", "1900", "", "", "", "", "", "", "", "", "Early"})}},
        {"empty name dropped, its values carry; no last line break", "NAME=\nYEAR=1800\nNAME=X",
         {CoinRecord::FromTexts({"X", "1800"})}},
        {"Windows-1252", "NAME=Fran\xE7" "ais\nCURRENTVALUE=\x80 5",
         {CoinRecord::FromTexts({"Fran\xC3\xA7" "ais", "", "", "", "", "", "", "",
                                 "\xE2\x82\xAC 5"})}},
    };
    TempDir dir;
    for (const Case& c : cases)
        for (const std::string& text : {c.text, std::regex_replace(c.text, std::regex("\n"),
                                                                   "\r\n")}) {
            WriteBytes(dir.File(kDataFileName), text);
            EXPECT_EQ(ReadDataFile(dir.File(kDataFileName)), c.expected) << c.name;
        }
}
