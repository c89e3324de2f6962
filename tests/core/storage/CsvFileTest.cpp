#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <random>

#include "core/TestSupport.h"
#include "storage/CsvFile.h"

namespace {

const std::string kHeader =
    "\xEF\xBB\xBFName,Year,Face Value,Country,Mint Marks,Condition,Purchase Price,"
    "Purchase Date,Current Value,Valuation Date,Category,Image,Description\r\n";

Collection TopFirst(const std::vector<CoinRecord>& rows)
{
    Collection collection;
    collection.LoadBottomUp(std::vector<CoinRecord>(rows.rbegin(), rows.rend()));
    return collection;
}

}  // namespace

TEST(CsvExport, WritesTheHeaderAndQuotesOnlyWhatNeedsIt)
{
    const Collection collection = TopFirst({
        CoinRecord::FromTexts({"Morgan Dollar", "1921", "1 Dollar", "United States", "D",
                               "Fine", "$1,234.50", "2005-03-14", "=SUM(A1)", "", "Dollars",
                               "", "Line one\r\nline \"two\"\nthree"}),
        CoinRecord::FromTexts({" Thaler ", "1780", "1;2", "\xC3\x96sterreich", "", "\tx", "",
                               "", "", "", "", "pics/thaler.jpg", "\""}),
    });
    EXPECT_EQ(CsvText(collection),
              kHeader +
              "Morgan Dollar,1921,1 Dollar,United States,D,Fine,\"$1,234.50\",2005-03-14,"
              "=SUM(A1),,Dollars,,\"Line one\r\nline \"\"two\"\"\nthree\"\r\n"
              "\" Thaler \",1780,\"1;2\",\xC3\x96sterreich,,\"\tx\",,,,,,pics/thaler.jpg,"
              "\"\"\"\"\r\n");
    EXPECT_EQ(CsvText(Collection()), kHeader);

    TempDir dir;
    ASSERT_TRUE(WriteCsvFile(dir.File("coins.csv"), collection));
    EXPECT_EQ(ReadBytes(dir.File("coins.csv")), CsvText(collection));
    EXPECT_FALSE(WriteCsvFile(dir.File("missing/coins.csv"), collection));
    EXPECT_EQ(CountEntries(dir.path), 1);
}

TEST(CsvImport, ReadsRfc4180AndWhatSpreadsheetsWrite)
{
    struct Case {
        const char* name;
        std::string text;
        std::vector<std::vector<std::string>> rows;  // Name, Year, Description
    };
    const Case cases[] = {
        {"quoted separators, doubled quotes, empty fields",
         "Name,Year,Description\r\n\"a,b\",,\"say \"\"hi\"\"\"\r\n\"\",1900,x\r\nc,,\r\n",
         {{"a,b", "", "say \"hi\""}, {"c", "", ""}}},
        {"line breaks inside quotes, LF line ends, last row without a line end",
         "Name,Year,Description\n\"two\nlines\",1,\"cr\r\nlf\"\nlast,2,end",
         {{"two\nlines", "1", "cr\r\nlf"}, {"last", "2", "end"}}},
        {"semicolons, the separator of the header row",
         "Name;Year;Description\r\n\"a;b\";1,5;c, d\r\n",
         {{"a;b", "1,5", "c, d"}}},
        {"byte order mark, spaces kept, fewer and padded fields",
         "\xEF\xBB\xBFName,Year,Description\r\n  spaced  , 1 \r\nshort\r\npadded,1,d,,\r\n",
         {{"  spaced  ", " 1 ", ""}, {"short", "", ""}, {"padded", "1", "d"}}},
        {"Windows-1252", "Name,Year,Description\r\nFran\xE7" "ais,1,\x80 5\r\n",
         {{"Fran\xC3\xA7" "ais", "1", "\xE2\x82\xAC 5"}}},
        {"blank lines, rows without a name and rows of spaces are skipped",
         "Name,Year,Description,Notes\r\n\r\n,1900,no name\r\n   \r\n\t, ,,only a note\r\n"
         "x,,\r\n",
         {{"x", "", ""}}},
        {"header only", "Name,Year,Description", {}},
        {"a first line that names the separator", "sep=;\r\nName;Year;Description\r\na;1,5;\r\n",
         {{"a", "1,5", ""}}},
    };
    for (const Case& c : cases) {
        const CsvImport result = ReadCsvText(c.text);
        ASSERT_TRUE(result.ok) << c.name << ": " << result.problem;
        std::vector<std::vector<std::string>> rows;
        for (const CoinRecord& r : result.records)
            rows.push_back({std::string(r.Get(CoinField::Name)),
                            std::string(r.Get(CoinField::Year)),
                            std::string(r.Get(CoinField::Description))});
        EXPECT_EQ(rows, c.rows) << c.name;
    }
    EXPECT_EQ(ReadCsvText(cases[2].text).separator, ';');
    EXPECT_EQ(ReadCsvText(cases[5].text).skippedRows, 3);
}

TEST(CsvImport, MatchesHeadingsAndDataFileKeysIgnoringCaseAndSpaces)
{
    const CsvImport result = ReadCsvText(
        "PURCHASEPRICE,face value,Weight,NAME,  Current  Value ,name,,Mint marks\r\n"
        "12.50,5 Cents,3 g,Buffalo,20,second name,x,D\r\n");
    ASSERT_TRUE(result.ok) << result.problem;
    ASSERT_EQ(result.columns.size(), 8u);
    EXPECT_EQ(result.unmatchedColumns, (std::vector<std::string>{"Weight", "name"}));
    ASSERT_EQ(result.records.size(), 1u);
    EXPECT_EQ(result.records[0], CoinRecord::FromTexts({"Buffalo", "", "5 Cents", "", "D", "",
                                                        "12.50", "", "20"}));
    EXPECT_EQ(CsvImportQuestion("coins.csv", result),
              "Add 1 coin from \"coins.csv\"?\n\nThese columns match no field and are left "
              "out: Weight, name.");
    // The second "name" matches nothing: Name is taken already.
    EXPECT_EQ(CsvColumnMapping(result),
              "PURCHASEPRICE -> Purchase Price\nface value -> Face Value\nWeight -> (no field)\n"
              "NAME -> Name\n  Current  Value  -> Current Value\nname -> (no field)\n"
              "Mint marks -> Mint Marks\n");
    EXPECT_EQ(CsvImportQuestion("x.csv", ReadCsvText("Name\r\na\r\nb\r\n")),
              "Add 2 coins from \"x.csv\"?");
}

TEST(CsvImport, MalformedFilesGiveNoRecordsAndNameTheLine)
{
    struct Case { const char* name; std::string text; int line; const char* says; };
    const Case cases[] = {
        {"a quote never closed", "Name,Year\r\na,1\r\nb,\"19\r\n00\r\nc,2\r\n", 3, "not closed"},
        {"a quote inside an unquoted field", "Name,Year\r\na,1\r\n5\" coin,2\r\n", 3,
         "does not begin with a quote"},
        {"text after a closing quote", "Name,Year\r\na,1\r\nb,2\r\n\"c\"x,3\r\n", 4,
         "after the closing quote"},
        {"more fields than the header", "Name,Year\r\na,1\r\n\"b\nb\",2,extra\r\n", 3,
         "3 fields, but the header row names only 2"},
        {"a NUL byte", std::string("Name,Year\r\na,1\r\nb\0,2\r\n", 22), 3, "NUL"},
        {"no Name column", "Title,Year\r\na,1\r\n", 1, "no column is called \"Name\""},
        {"a separator line, then a stray quote", "sep=,\nName,Year\na\"", 3, "quote"},
        {"empty", "", 0, "empty"},
        {"only a byte order mark", "\xEF\xBB\xBF", 0, "empty"},
        {"UTF-16", std::string("\xFF\xFEN\0a\0", 6), 0, "UTF-16"},
    };
    for (const Case& c : cases) {
        const CsvImport result = ReadCsvText(c.text);
        EXPECT_FALSE(result.ok) << c.name;
        EXPECT_TRUE(result.records.empty()) << c.name;
        EXPECT_EQ(result.errorLine, c.line) << c.name << ": " << result.problem;
        EXPECT_NE(result.problem.find(c.says), std::string::npos) << c.name << ": " << result.problem;
        if (c.line > 0) {
            EXPECT_EQ(result.problem.rfind("Line " + std::to_string(c.line) + ": ", 0), 0u)
                << result.problem;
        }
    }
}

// A file that is not an ordinary one is refused at once, without a read that would wait for a
// writer or never end, with a message that names it.
TEST(CsvImport, FilesThatCannotBeReadAreNamedWithTheReason)
{
    TempDir dir;
    const std::string fifo = dir.File("pipe.csv");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    fs::create_directory(dir.File("folder.csv"));
    const std::pair<std::string, const char*> cases[] = {
        {fifo, "it is not an ordinary file"},
        {"/dev/zero", "it is not an ordinary file"},
        {dir.File("folder.csv"), "it is a folder"},
        {dir.File("missing.csv"), "there is no such file"},
    };
    for (const auto& [path, why] : cases) {
        const CsvImport result = ReadCsvFile(path);
        EXPECT_FALSE(result.ok) << path;
        EXPECT_EQ(result.problem.rfind("The file \"" + path + "\" could not be read: " + why, 0), 0u) << result.problem;
    }
    EXPECT_FALSE(fs::exists(dir.File("missing.csv")));
}

// A space or a tab at either end of a field is kept by quotes; inside a field it needs none.
TEST(CsvExport, QuotesAFieldWithASpaceOrTabAtEitherEnd)
{
    const std::pair<const char*, const char*> cases[] = {
        {" lead", "\" lead\""}, {"trail ", "\"trail \""}, {"\ttab", "\"\ttab\""},
        {"tab\t", "\"tab\t\""},  {"in side", "in side"},   {" ", "\" \""},
    };
    for (const auto& [field, written] : cases) {
        const Collection collection = TopFirst({CoinRecord::FromTexts({"x", field})});
        EXPECT_EQ(CsvText(collection), kHeader + "x," + written + ",,,,,,,,,,,\r\n") << '[' << field << ']';
    }
}

// Whatever the fields hold, an export read back gives the same rows in the same order.
TEST(CsvRoundTrip, GivesBackEveryFieldByteForByte)
{
    const std::vector<std::string> pieces = {
        "a", "Z", " ", "  ", "\t", ",", ";", "\"", "\"\"", "\r", "\n", "\r\n", "=", "=1+2",
        "'", "\xC3\xA9", "\xD0\x96", "\xE2\x82\xAC", "\xF0\x9F\xAA\x99", "\xC2\xA0", "#", "0",
    };
    std::mt19937 random(11);
    const auto text = [&](int maxPieces) {
        std::string t;
        const int n = static_cast<int>(random() % static_cast<unsigned>(maxPieces + 1));
        for (int i = 0; i < n; ++i)
            t += pieces[random() % pieces.size()];
        return t;
    };
    TempDir dir;
    for (int round = 0; round < 200; ++round) {
        std::vector<CoinRecord> rows;
        const int count = static_cast<int>(random() % 20);
        for (int i = 0; i < count; ++i) {
            CoinRecord record;
            for (CoinField field : kCoinFields)
                record.Set(field, text(6));
            // A row with an empty or blank Name is not a coin and is skipped.
            if (record.Get(CoinField::Name).find_first_not_of(" \t") == std::string::npos)
                record.Set(CoinField::Name, "N" + std::string(record.Get(CoinField::Name)));
            rows.push_back(record);
        }
        const Collection collection = TopFirst(rows);
        const CsvImport result = ReadCsvText(CsvText(collection));
        ASSERT_TRUE(result.ok) << result.problem;
        ASSERT_EQ(result.records, rows) << "round " << round;
        if (round % 50 == 0) {
            ASSERT_TRUE(WriteCsvFile(dir.File("round.csv"), collection));
            EXPECT_EQ(ReadCsvFile(dir.File("round.csv")).records, rows);
        }
    }
}

// A spreadsheet program reads the export and writes it back: the same rows come back.
TEST(CsvRoundTrip, ThroughOdsInASpreadsheetWhenOneIsInstalled)
{
    if (std::system("command -v soffice >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "soffice (LibreOffice) is not installed; the trip through ODS is not tried";
    const std::vector<CoinRecord> rows = {
        CoinRecord::FromTexts({"Morgan, \"the\" Dollar", "1921", "1 Dollar", "United States",
                               "D", "Fine", "$25.00", "2005-03-14", "30.00", "", "Dollars", "",
                               "Line one\nline two"}),
        CoinRecord::FromTexts({"\xC3\x96sterreich Thaler \xE2\x82\xAC", "1780", "", "", "", "",
                               "", "", "", "", "", "", "\xD0\x96 \xCE\xB1 \xF0\x9F\xAA\x99"}),
    };
    const Collection collection = TopFirst(rows);
    TempDir dir;
    ASSERT_TRUE(WriteCsvFile(dir.File("coins.csv"), collection));
    // Comma, quote, UTF-8, from the first line; every column read as text, so that nothing is
    // taken for a number or a date and written back in another form.
    const std::string options = "44,34,76,1";
    std::string textColumns;
    for (int column = 1; column <= kCoinFieldCount; ++column)
        textColumns += (column > 1 ? "/" : "") + std::to_string(column) + "/2";
    const std::string profile = "-env:UserInstallation=file://" + dir.File("profile");
    const std::string toOds = "cd " + dir.path.string() + " && soffice " + profile +
                              " --headless --infilter=CSV:" + options + "," + textColumns +
                              " --convert-to ods coins.csv >/dev/null 2>&1";
    ASSERT_EQ(std::system(toOds.c_str()), 0);
    fs::create_directory(dir.File("back"));
    const std::string toCsv = "cd " + dir.path.string() + " && soffice " + profile +
                              " --headless --convert-to 'csv:Text - txt - csv (StarCalc):" +
                              options + "' --outdir back coins.ods >/dev/null 2>&1";
    ASSERT_EQ(std::system(toCsv.c_str()), 0);
    const CsvImport result = ReadCsvFile(dir.File("back/coins.csv"));
    ASSERT_TRUE(result.ok) << result.problem;
    EXPECT_EQ(result.records, rows);
}
