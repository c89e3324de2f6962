#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <regex>
#include <thread>

#include "core/ReadFault.h"
#include "core/TestSupport.h"
#include "records/CoinRecordBuilder.h"
#include "storage/DataFile.h"
#include "storage/KeyValueText.h"

namespace {

CoinRecord RecordOf(const std::array<std::string, kCoinFieldCount>& values)
{
    CoinRecordBuilder builder;
    for (CoinField field : kCoinFields)
        builder.Set(field, values[FieldIndex(field)]);
    return builder.Build();
}

}  // namespace

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

// Records are written into large blocks a record at a time; every pair must come out as it
// does written alone. Values of every short length, values of several lines, values beyond the
// short size with and without line breaks, and one record larger than a block.
TEST(DataFile, WritesEachRecordAsItsPairsWrittenOneByOne)
{
    std::mt19937 random(20261208);
    const std::string letters = "ab=\xC3\x96 \t\r\n";
    const auto text = [&](std::size_t size, bool lines) {
        std::string t;
        for (std::size_t i = 0; i < size; ++i)
            t += letters[random() % (lines ? letters.size() : letters.size() - 1)];
        return t;
    };
    Collection collection;
    for (int r = 0; r < 6000; ++r) {
        std::array<std::string, kCoinFieldCount> values;
        for (std::string& value : values)
            value = text(random() % 41, r % 10 == 0);
        values[0] = "Coin " + std::to_string(r);
        if (r % 700 == 1)
            values[12] = text(CoinRecord::kSharedFrom + random() % 50, r % 1400 == 1);
        if (r == 3000)
            values[11] = text(std::size_t{3} << 20, false);
        collection.InsertTop(RecordOf(values));
    }
    std::string expected(kKeyValueHeader);
    for (const CoinRecord& record : collection.BottomUp()) {
        for (CoinField field : kCoinFields)
            AppendPairLines(expected, DataFileKey(field), record.Get(field));
        expected += "\r\n";
    }
    TempDir dir;
    const std::string path = dir.File(kDataFileName);
    ASSERT_TRUE(WriteDataFile(path, collection));
    const std::string written = ReadBytes(path);
    ASSERT_EQ(written.size(), expected.size());
    EXPECT_TRUE(written == expected) << "first difference at byte "
                                     << std::mismatch(written.begin(), written.end(), expected.begin()).first - written.begin();
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
        {"a name of continuation lines only", "NAME=\n=second line\nNAME=   \n",
         {CoinRecord::FromTexts({"\nsecond line"})}},
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
            EXPECT_EQ(CountDataFileCoins(dir.File(kDataFileName)), static_cast<long>(c.expected.size())) << c.name;
        }
}

// A large file's records keep their texts in the file's own text, packed over the lines already
// read, while the rest of it is given back as the reading goes. Records that leave out most keys
// would outgrow the lines read, and long texts and continued values never lie in the file as
// the record holds them: all must still read as written, and stay so apart from the others.
TEST(DataFile, RecordsReadFromALargeFileHoldTheirOwnTexts)
{
    std::string text = "CREATOR=NMR 1.0\r\n";
    std::vector<CoinRecord> expected;
    std::array<std::string, kCoinFieldCount> values;
    for (int i = 0; i < 120000; ++i) {
        // Every 500th record starts a run of 300 that give their name alone, so the values of
        // the record before are carried into each.
        const bool nameOnly = i % 500 >= 200;
        for (CoinField field : kCoinFields) {
            if (nameOnly && field != CoinField::Name)
                continue;
            std::string& value = values[FieldIndex(field)];
            value = std::string(ColumnHeading(field)) + " " + std::to_string(i * 7 % 1013);
            if (field == CoinField::Description) {
                if (i % 97 == 0)
                    value = std::string(CoinRecord::kSharedFrom + i % 50, 'L');
                else if (i % 5 == 0)
                    value = "first line\nsecond " + std::to_string(i);
                else
                    value += " \xC3\xA9t\xC3\xA9 with some more words to make the record longer";
            }
            text += DataFileKey(field);
            text += '=';
            for (char c : value)
                text += c == '\n' ? std::string("\r\n=") : std::string(1, c);
            text += "\r\n";
        }
        expected.push_back(RecordOf(values));
    }
    ASSERT_GT(text.size(), std::size_t{16} << 20);

    TempDir dir;
    WriteBytes(dir.File(kDataFileName), text);
    std::vector<CoinRecord> records = ReadDataFile(dir.File(kDataFileName));
    ASSERT_EQ(records.size(), expected.size());
    for (std::size_t i = 0; i < records.size(); ++i)
        ASSERT_EQ(records[i], expected[i]) << "record " << i;

    // Copies share the texts and outlive the others; a change to one leaves the rest as read.
    CoinRecord kept = records[12345];
    CoinRecord changed = records[12345];
    records.clear();
    records.shrink_to_fit();
    changed.Set(CoinField::Year, "1999");
    EXPECT_EQ(kept, expected[12345]);
    EXPECT_EQ(changed.Get(CoinField::Year), "1999");
    EXPECT_EQ(changed.Get(CoinField::Name), expected[12345].Get(CoinField::Name));
}

// A file whose records hold the most short text a record can: every value one byte short of
// being kept apart, packed over the file's own lines.
TEST(DataFile, ReadsRecordsOfTheLargestShortValues)
{
    std::string text = "CREATOR=NMR 1.0\r\n";
    std::vector<CoinRecord> expected;
    for (int r = 0; r < 3; ++r) {
        std::array<std::string, kCoinFieldCount> values;
        for (CoinField field : kCoinFields) {
            std::string& value = values[FieldIndex(field)];
            value = std::string(CoinRecord::kSharedFrom - 1, static_cast<char>('a' + FieldIndex(field) + r));
            text += std::string(DataFileKey(field)) + "=" + value + "\r\n";
        }
        expected.push_back(RecordOf(values));
    }
    TempDir dir;
    WriteBytes(dir.File(kDataFileName), text);
    const DataFileContents contents = ReadDataFileContents(dir.File(kDataFileName));
    EXPECT_TRUE(contents.ok) << contents.problem;
    EXPECT_EQ(contents.records, expected);
}

// A file is read a piece at a time, with the text still to be read moved down over lines
// already made into records. Wherever the pieces end (inside a line, a CR LF, a character of
// several bytes, a run of continuation lines) and however often the text moves, the records are
// those of one piece holding the whole file; a file that is not UTF-8 throughout, found out late,
// is read again whole; a read error part way keeps the complete lines before it.
TEST(DataFile, ReadingInPiecesGivesTheRecordsOfTheWholeText)
{
    std::mt19937 random(20261207);
    const auto pick = [&random](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    const std::vector<std::string> pieces = {"a", "Zz", " ", "\t", "=", "#", "\xC3\xA9", "\xE2\x82\xAC",
        "\xF0\x9F\x98\x80", "1921", "Morgan Dollar", std::string(300, 'x')};
    const auto text = [&](int longest) {
        std::string value;
        for (int n = pick(longest); n > 0; --n)
            value += pieces[static_cast<std::size_t>(pick(static_cast<int>(pieces.size())))];
        return value;
    };
    TempDir dir;
    const std::string path = dir.File(kDataFileName);
    for (int round = 0; round < 60; ++round) {
        const bool crlf = pick(2) == 0;
        const std::string lineEnd = crlf ? "\r\n" : "\n";
        std::string file = pick(8) == 0 ? "\xEF\xBB\xBF" : "";
        file += "CREATOR=NMR 1.0" + lineEnd;
        if (pick(6) == 0)
            file += "=stray continuation" + lineEnd;
        for (int line = 0, lines = 50 + pick(400); line < lines; ++line) {
            const int kind = pick(20);
            if (kind == 0)
                file += "=" + text(6) + lineEnd;  // a continuation line
            else if (kind == 1)
                file += "WEIGHT=" + text(3) + lineEnd;  // a key that is not a field
            else if (kind == 2 && pick(4) == 0)
                file += "DESCRIPTION=" + std::string(CoinRecord::kSharedFrom + 10, 'L') + lineEnd;
            else {
                const CoinField field = pick(3) == 0 ? CoinField::Name : kCoinFields[static_cast<std::size_t>(pick(kCoinFieldCount))];
                file += std::string(DataFileKey(field)) + "=" + (pick(15) == 0 ? "" : text(8)) + (pick(5) == 0 ? " \t" : "") + lineEnd;
            }
        }
        if (pick(2) == 0)
            file.resize(file.size() - lineEnd.size());  // no line break at the end
        if (round % 10 == 9)
            file.insert(file.size() - file.size() / 7, "\xE7");  // not UTF-8, found late
        WriteBytes(path, file);

        const DataFileContents whole = ReadDataFileContents(path);  // the file is one piece
        for (std::size_t pieceSize : {3, 7, 64, 1000}) {
            SetReadPieceSizeForTesting(pieceSize);
            const DataFileContents inPieces = ReadDataFileContents(path);
            SetReadPieceSizeForTesting(0);
            ASSERT_EQ(inPieces.records, whole.records) << "round " << round << ", pieces of " << pieceSize;
            ASSERT_TRUE(inPieces.ok);
        }
        // A read error part way: the records of the complete lines before it.
        const std::size_t readable = file.size() / 2;
        const std::size_t lastBreak = file.rfind('\n', readable - 1);
        WriteBytes(dir.File("cut.dat"), file.substr(0, lastBreak == std::string::npos ? 0 : lastBreak + 1));
        const DataFileContents cut = ReadDataFileContents(dir.File("cut.dat"));
        for (std::size_t pieceSize : {5, 4096}) {
            SetReadPieceSizeForTesting(pieceSize);
            ReadFaultGuard fault(readable);
            const DataFileContents failed = ReadDataFileContents(path);
            SetReadPieceSizeForTesting(0);
            ASSERT_EQ(failed.records, cut.records) << "round " << round << ", pieces of " << pieceSize;
            EXPECT_FALSE(failed.ok);
            EXPECT_NE(failed.problem.find("read error"), std::string::npos);
        }
    }
}

TEST(DataFile, AFollowedReadingGivesTheFollowerTheRecordsItReturns)
{
    // Enough records for several runs, then a byte that is not UTF-8: the reading in pieces is
    // dropped part way and the file read again whole, decoded otherwise.
    struct Copies : RecordsSoFar::Follower {
        void Look(std::span<const CoinRecord> records) override { seen.insert(seen.end(), records.begin(), records.end()); }
        void Forget() override { seen.clear(); }
        std::vector<CoinRecord> seen;
    };
    TempDir dir;
    const std::string path = dir.File(kDataFileName);
    for (const bool utf8 : {true, false}) {
        std::string file = "CREATOR=NMR 1.0\r\n";
        for (int i = 0; i < 3 * static_cast<int>(RecordsSoFar::kRun) + 11; ++i) {
            file += "NAME=coin " + std::to_string(i) + "\r\nCOUNTRY=" + (i % 3 ? "France" : "Perú") + "\r\n";
            if (i % 1000 == 999)
                file += "DESCRIPTION=a\r\n=second line\r\n";
        }
        if (!utf8)
            file += "NAME=caf\xE9\r\n";
        WriteBytes(path, file);
        const DataFileContents plain = ReadDataFileContents(path);
        for (std::size_t pieceSize : {std::size_t{1000}, std::size_t{0}}) {
            SetReadPieceSizeForTesting(pieceSize);
            RecordsSoFar soFar;
            Copies follower;
            DataFileContents followed;
            std::thread reading([&] {
                followed = ReadDataFileContents(path, IfMissing::CreateEmpty, &soFar);
                soFar.End(followed.records);
            });
            soFar.Follow(follower);
            reading.join();
            SetReadPieceSizeForTesting(0);
            ASSERT_EQ(followed.records, plain.records) << "UTF-8 " << utf8 << ", pieces of " << pieceSize;
            ASSERT_EQ(follower.seen, plain.records) << "UTF-8 " << utf8 << ", pieces of " << pieceSize;
        }
    }
}
