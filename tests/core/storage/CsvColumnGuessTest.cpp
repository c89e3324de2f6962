#include <gtest/gtest.h>

#include "core/TestSupport.h"
#include "storage/CsvColumnGuess.h"
#include "storage/CsvFile.h"

namespace {

using F = CoinField;
constexpr std::optional<CoinField> kOut = std::nullopt;

TEST(CsvColumnGuess, ReadsTheNamesOtherProgramsGiveOurFields)
{
    struct Case { const char* heading; std::optional<CoinField> field; };
    const Case cases[] = {
        // ours, in any spelling
        {"Face Value", F::FaceValue}, {"FACEVALUE", F::FaceValue}, {"face_value", F::FaceValue},
        {"Mint-Marks", F::MintMarks}, {" purchase  price ", F::PurchasePrice},
        // the common names, with case, spacing, punctuation and plurals
        {"Title", F::Name}, {"COIN", F::Name}, {"Coin Name", F::Name},
        {"Denomination", F::FaceValue}, {"Denominations", F::FaceValue}, {"Value", F::FaceValue},
        {"Mint Mark", F::MintMarks}, {"Mint", F::MintMarks},
        {"Grade", F::Condition}, {"grades", F::Condition},
        {"Type", F::Category}, {"Set", F::Category}, {"Series", F::Category},
        {"Categories", F::Category}, {"Countries", F::Country}, {"Issuer", F::Country},
        {"Price", F::PurchasePrice}, {"Prices", F::PurchasePrice}, {"Cost", F::PurchasePrice},
        {"Price Paid", F::PurchasePrice}, {"Price ($)", F::PurchasePrice},
        {"Notes", F::Description}, {"Comments", F::Description}, {"Remarks", F::Description},
        {"Picture", F::Image}, {"Obverse", F::Image}, {"Photo", F::Image}, {"Cover Image", F::Image},
        {"Date Acquired", F::PurchaseDate}, {"Date purchased", F::PurchaseDate},
        {"Market Value", F::CurrentValue}, {"Estimated Value", F::CurrentValue},
        {"Valuation date", F::ValuationDate}, {"Year of issue", F::Year},
        // no obvious home: left out rather than guessed
        {"Weight (g)", kOut}, {"ID", kOut}, {"Quantity", kOut}, {"Date", kOut},
        {"Reverse", kOut}, {"Date Added", kOut}, {"", kOut}, {"  ", kOut}, {"s", kOut},
    };
    for (const Case& c : cases)
        EXPECT_EQ(GuessCsvField(c.heading), c.field) << '"' << c.heading << '"';
}

TEST(CsvColumnGuess, AFieldIsGivenOnceExceptDescriptionWhichJoins)
{
    const CsvColumnMap map =
        GuessCsvColumnMap({"Price", "Notes", "Title", "Cost", "Comments", "Coin", "Weight"});
    EXPECT_EQ(map, (CsvColumnMap{F::PurchasePrice, F::Description, F::Name, kOut,
                                 F::Description, kOut, kOut}));
    EXPECT_EQ(JoinedFields(map), std::vector<CoinField>{F::Description});
    EXPECT_TRUE(JoinedFields(GuessCsvColumnMap({"Name", "Year"})).empty());
}

TEST(CsvColumnMapImport, JoinsColumnsIntoOneFieldAndLeavesOutTheRest)
{
    const std::string text =
        "Title,Notes,Weight,Comments\r\n"
        "Thaler,heavy,28 g,from Vienna\r\n"
        "Ducat,,3 g,thin\r\n"
        "Mark,\"two\nlines\",,\r\n";
    const CsvColumnMap map{F::Name, F::Description, kOut, F::Description};
    const CsvImport result = ReadCsvText(text, map);
    ASSERT_TRUE(result.ok) << result.problem;
    ASSERT_EQ(result.records.size(), 3u);
    // Empty parts leave no empty line behind.
    EXPECT_EQ(result.records[0].Get(F::Description), "heavy\nfrom Vienna");
    EXPECT_EQ(result.records[1].Get(F::Description), "thin");
    EXPECT_EQ(result.records[2].Get(F::Description), "two\nlines");
    EXPECT_EQ(result.unmatchedColumns, std::vector<std::string>{"Weight"});
    EXPECT_EQ(CsvColumnMapping(result),
              "Title -> Name\nNotes -> Description\nWeight -> (no field)\nComments -> Description\n");
    EXPECT_EQ(CsvMapOf(result), map);

    // Into a field of one line, columns are joined with a space: the form keeps one line.
    const CsvImport names = ReadCsvText("First,Second,Year\r\nMaria,Theresia,1780\r\n,Ducat,\r\n",
                                        CsvColumnMap{F::Name, F::Name, F::Year});
    ASSERT_TRUE(names.ok);
    EXPECT_EQ(names.records[0].Get(F::Name), "Maria Theresia");
    EXPECT_EQ(names.records[1].Get(F::Name), "Ducat");

    // A map shorter than the row leaves the columns past its end out.
    const CsvImport shortMap = ReadCsvText(text, CsvColumnMap{F::Name});
    ASSERT_TRUE(shortMap.ok);
    EXPECT_EQ(shortMap.records[0], CoinRecord::FromTexts({"Thaler"}));
}

TEST(CsvColumnMapImport, AFileOfOtherHeadingsAsksForAMapAndOurExportDoesNot)
{
    // No Name column: refused by headings, but with the headings and the first rows to map.
    const CsvImport foreign = ReadCsvText("Title,Grade\r\n\r\nA,VF\r\nB,F\r\nC,G\r\nD,P\r\n");
    EXPECT_FALSE(foreign.ok);
    EXPECT_TRUE(foreign.noNameColumn);
    EXPECT_TRUE(foreign.records.empty());
    EXPECT_TRUE(NeedsCsvColumnMap(foreign));
    EXPECT_EQ(CsvHeadings(foreign), (std::vector<std::string>{"Title", "Grade"}));
    EXPECT_EQ(foreign.sampleRows, (std::vector<std::vector<std::string>>{
                                      {"A", "VF"}, {"B", "F"}, {"C", "G"}}));

    // A malformed file is refused as it is, map or not.
    const CsvImport broken = ReadCsvText("Title,Grade\r\nA,\"VF\r\n");
    EXPECT_FALSE(broken.noNameColumn);
    EXPECT_FALSE(NeedsCsvColumnMap(broken));
    EXPECT_FALSE(ReadCsvText("Title,Grade\r\nA,\"VF\r\n", CsvColumnMap{F::Name}).ok);

    // One heading of another program is enough to ask.
    EXPECT_TRUE(NeedsCsvColumnMap(ReadCsvText("Name,Weight\r\na,1\r\n")));
    // Our own export and a file of our keys do not ask; an empty heading is no question.
    Collection one;
    one.LoadBottomUp({CoinRecord::FromTexts({"a", "1900"})});
    EXPECT_FALSE(NeedsCsvColumnMap(ReadCsvText(CsvText(one))));
    EXPECT_FALSE(NeedsCsvColumnMap(ReadCsvText("NAME,year,\r\na,1,\r\n")));
}

// Files as other kinds of programs write them, with what each row must become.
struct ForeignFile {
    const char* file;
    CsvColumnMap guess;  // every column with an obvious home mapped
    std::vector<CoinRecord> records;
};

void PrintTo(const ForeignFile& file, std::ostream* out) { *out << file.file; }

class ForeignCsvFiles : public testing::TestWithParam<ForeignFile> {};

TEST_P(ForeignCsvFiles, AreGuessedAndImportExactly)
{
    const ForeignFile& c = GetParam();
    const std::string path = std::string(NUMORA_TEST_DATA) + "/csv/" + c.file;
    const CsvImport byHeadings = ReadCsvFile(path);
    ASSERT_TRUE(NeedsCsvColumnMap(byHeadings)) << byHeadings.problem;
    const CsvColumnMap guess = GuessCsvColumnMap(CsvHeadings(byHeadings));
    EXPECT_EQ(guess, c.guess);

    const CsvImport result = ReadCsvFile(path, guess);
    ASSERT_TRUE(result.ok) << result.problem;
    ASSERT_EQ(result.records.size(), c.records.size());
    for (std::size_t i = 0; i < c.records.size(); ++i) {
        for (CoinField field : kCoinFields)
            EXPECT_EQ(result.records[i].Get(field), c.records[i].Get(field))
                << c.file << " row " << i + 1 << ", " << ColumnHeading(field);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Samples, ForeignCsvFiles,
    testing::Values(
        // A collector's own spreadsheet, saved as CSV in UTF-8 with a byte order mark.
        ForeignFile{"spreadsheet.csv",
                    {F::Name, F::Year, F::FaceValue, F::Country, F::MintMarks, F::Condition,
                     F::PurchasePrice, F::PurchaseDate, F::CurrentValue, F::Category, F::Image,
                     F::Description, F::Description, kOut},
                    {CoinRecord::FromTexts({"Walking Liberty Half", "1943", "50 Cents", "USA", "D",
                                            "XF-40", "$18.00", "3/14/2019", "$24.00", "", "Silver",
                                            "images/walker-1943d.jpg",
                                            "Full hand on obverse\nBought at the county fair"}),
                     CoinRecord::FromTexts({"Maple Leaf", "2014", "5 Dollars", "Canada", "", "BU",
                                            "45,50", "2020-07-01", "52", "", "Bullion", "maple.jpg",
                                            "In the \"green\" capsule"}),
                     CoinRecord::FromTexts({"Sovereign", "1911", "1 Pound", "United Kingdom", "",
                                            "VF", "310.00", "", "", "", "Gold", "",
                                            "Line one\nLine two"}),
                     CoinRecord::FromTexts({"Krugerrand", "1982", "1 oz", "South Africa", "",
                                            "UNC", "", "", "1 900", "", "Bullion"})}},
        // A general collection manager: every field quoted, LF line ends, its own bookkeeping
        // columns (ID, Date Added, Location, Quantity) with no home here.
        ForeignFile{"collection-manager.csv",
                    {kOut, F::Name, F::Category, F::Condition, F::PurchasePrice, F::PurchaseDate,
                     F::CurrentValue, kOut, F::Image, F::Description, kOut, kOut},
                    {CoinRecord::FromTexts({"Thaler Maria Theresia", "", "", "", "", "Very fine",
                                            "120", "2018-05-02", "150", "", "Trade coins",
                                            "covers/thaler.png",
                                            "Restrike, Vienna mint\n\"G\xC3\xBCnzburg\" style"}),
                     CoinRecord::FromTexts({"Zwei Euro \xC3\x96sterreich", "", "", "", "",
                                            "Uncirculated", "2", "", "2", "", "Euro"})}},
        // Another coin program: semicolons, Windows-1252, dates as it writes them.
        ForeignFile{"coin-program.csv",
                    {F::Country, F::Name, F::FaceValue, F::Year, F::MintMarks, F::Condition,
                     F::Image, kOut, F::PurchasePrice, F::PurchaseDate, F::CurrentValue,
                     F::ValuationDate, F::Category, F::Description, kOut},
                    {CoinRecord::FromTexts({"Dukat", "1915", "1 Dukat", "\xC3\x96sterreich", "Wien",
                                            "PP", "210,00 \xE2\x82\xAC", "12.03.2017",
                                            "240,00 \xE2\x82\xAC", "01.01.2024", "Restrikes",
                                            "obv/dukat.jpg", "Restrike; 986/1000"}),
                     CoinRecord::FromTexts({"Napol\xC3\xA9on", "1857", "20 Francs", "France", "A",
                                            "TTB", "180"})}}),
    [](const testing::TestParamInfo<ForeignFile>& param) {
        std::string name = param.param.file;
        name = name.substr(0, name.find('.'));
        std::erase(name, '-');
        return name;
    });

}  // namespace
