#include <gtest/gtest.h>

#include <random>

#include "core/TestSupport.h"
#include "output/PageComposer.h"
#include "output/PageFiles.h"
#include "output/RowFiller.h"
#include "output/TagStream.h"

namespace {

const char* const kPrefTags[] = {"#PREFSNAME#", "#PREFSADDRESS1#", "#PREFSADDRESS2#", "#PREFSCITY#",
                                 "#PREFSSTATE#", "#PREFSCOUNTRY#", "#PREFSEMAIL#"};
const PrefKey kPrefKeys[] = {PrefKey::Name, PrefKey::Address1, PrefKey::Address2, PrefKey::City,
                             PrefKey::State, PrefKey::Country, PrefKey::Email};

// The page as the plain definition gives it: every tag replaced over the whole text in turn.
std::string ReferenceRow(std::string row, const CoinRecord& record)
{
    for (const ItemTag& t : kItemTags)
        row = ReplaceTag(row, t.tag, record.Get(t.field));
    return row;
}

std::string ReferencePage(const std::string& outer, const std::string& inner,
                          const Collection& collection, const Preferences& prefs)
{
    std::string rows;
    for (int i = 0; i < collection.Count(); ++i)
        rows += ReferenceRow(inner, collection.Row(i));
    std::string page = ReplaceTag(outer, "#DATA#", rows + FooterRow());
    for (int t = 0; t < 7; ++t)
        page = ReplaceTag(page, kPrefTags[t], prefs[kPrefKeys[t]]);
    return page;
}

// Texts made of the pieces that can make, break or extend tags.
class Pieces {
public:
    explicit Pieces(unsigned seed) : m_random(seed) {}

    std::string Text(int maxPieces)
    {
        static const char* const kPieces[] = {
            "#", "##", "A", "VF", "UNC", "NAME", "YEAR#", "#YEAR", "#NAME#", "#YEAR#", "#IMAGE#",
            "#CONDITION#", "#DESCRIPTION#", "#CURRENTVALUE#", "#COUNTRY#", "#CATEGORY#", "#COUN",
            "TRY#", "#PREFS", "NAME#", "#PREFSNAME#", "#PREFSEMAIL#", "EMAIL#", "#DATA#", "DATA#",
            "<td>", " ", "x", "1780", "é"};
        std::string text;
        const int count = Below(maxPieces + 1);
        for (int i = 0; i < count; ++i)
            text += kPieces[Below(std::size(kPieces))];
        return text;
    }

    int Below(std::size_t n) { return static_cast<int>(m_random() % n); }

private:
    std::mt19937 m_random;
};

CoinRecord RandomRecord(Pieces& pieces)
{
    CoinRecord record;
    for (CoinField field : kCoinFields)
        record.Set(field, pieces.Below(3) == 0 ? std::string() : pieces.Text(3));
    return record;
}

}  // namespace

// The worked-out rows must be the rows of the plain definition for any template and values:
// values that are empty, capitals alone, hold '#', whole tags or halves of tags, in templates
// whose text joins values to capitals and '#'.
TEST(PageStream, RowsMatchTheStepByStepDefinition)
{
    Pieces pieces(20261207);
    std::uint64_t stepByStep = 0, rows = 0;
    for (int round = 0; round < 3000; ++round) {
        const std::string inner = pieces.Text(12);
        RowFiller filler(inner);
        for (int r = 0; r < 30; ++r) {
            const CoinRecord record = RandomRecord(pieces);
            std::string row = "kept|";
            filler.AppendRow(row, record);
            ASSERT_EQ(row, "kept|" + ReferenceRow(inner, record)) << "template: " << inner;
            ++rows;
        }
        stepByStep += filler.RowsFilledStepByStep();
    }
    // Both roads were taken often enough for the comparison to mean something.
    EXPECT_GT(stepByStep, rows / 10);
    EXPECT_LT(stepByStep, rows * 9 / 10);
}

TEST(PageStream, PagesMatchTheDefinitionWithPreferenceTagsAnywhere)
{
    Pieces pieces(7);
    for (int round = 0; round < 400; ++round) {
        const std::string inner = pieces.Text(8);
        const std::string outer = pieces.Text(10);
        Preferences prefs;
        for (PrefKey key : kPrefKeys)
            prefs[key] = pieces.Text(2);
        Collection collection;
        for (int r = pieces.Below(4); r > 0; --r)
            collection.InsertTop(RandomRecord(pieces));
        const std::string expected = ReferencePage(outer, inner, collection, prefs);
        ASSERT_EQ(ComposePage(outer, inner, collection, prefs), expected)
            << "outer: " << outer << "\ninner: " << inner;
    }
}

// However the text is cut into pieces, the chain gives what replacing each tag over the whole
// text in turn gives; long pieces with no tag in them take the chain's shortcut.
TEST(PageStream, TagChainIsIndependentOfHowTheTextIsCut)
{
    Pieces pieces(99);
    for (int round = 0; round < 2000; ++round) {
        std::vector<std::pair<std::string, std::string>> tags;
        for (int t = 0; t < 7; ++t)
            tags.emplace_back(kPrefTags[t], pieces.Text(2));
        std::string text = pieces.Text(20);
        if (round % 4 == 0)
            text += std::string(200, 'z') + pieces.Text(6) + std::string(300, 'y');
        std::string expected = text;
        for (const auto& [tag, value] : tags)
            expected = ReplaceTag(expected, tag, value);

        struct Collect final : TextSink {
            std::string text;
            void Put(std::string_view bytes) override { text.append(bytes); }
        } out;
        TagChain chain(tags, out);
        for (std::size_t pos = 0; pos < text.size();) {
            const std::size_t size = pieces.Below(4) == 0 ? 150 : 1 + pieces.Below(16);
            chain.Put(std::string_view(text).substr(pos, size));
            pos += size;
        }
        chain.Finish();
        ASSERT_EQ(out.text, expected) << text;
    }
}

// The sample templates with ordinary values never need the step-by-step road.
TEST(PageStream, SampleTemplatesUseTheWorkedOutRows)
{
    const fs::path templates = fs::path(NUMORA_TEST_DATA).parent_path().parent_path() / "templates";
    for (const char* name : {"ListInside.htm", "CatalogueInside.htm"}) {
        RowFiller filler(ReadBytes(templates / name));
        std::string rows;
        filler.AppendRow(rows, CoinRecord::FromTexts({"5", "France", "1960", "5 Francs", "5F", "",
                                                      "VF", "4.50", "2001-02-03", "", "Silver",
                                                      "franc.jpg", "Semeuse"}));
        filler.AppendRow(rows, CoinRecord::FromTexts({"", "USA", "1937", "Nickel", "5c", "D", "UNC"}));
        EXPECT_EQ(filler.RowsFilledStepByStep(), 0u) << name;
    }
}

// A page of several 1 MB blocks, written twice over (#DATA# twice), where every joint of two
// rows, and so every joint of two blocks, completes a preference tag.
TEST(PageStream, FileGetsThePageAcrossBlocksAndAFailureKeepsTheOldPage)
{
    Collection collection;
    for (int i = 0; i < 150000; ++i)
        collection.InsertTop(CoinRecord::FromTexts({"", "", std::to_string(1800 + i % 200), "Thaler"}));
    Preferences prefs;
    prefs[PrefKey::Name] = "Ann";
    const std::string outer = "<h1>#PREFSNAME#</h1><table>#DATA#</table><table>#DATA#</table>#PREFS";
    const std::string inner = "ME#<td>#NAME# #YEAR#</td>#PREFSNA";
    const std::string expected = ReferencePage(outer, inner, collection, prefs);
    ASSERT_GT(expected.size(), std::size_t{3} << 20);
    EXPECT_EQ(ComposePage(outer, inner, collection, prefs), expected);

    TempDir dir;
    ASSERT_TRUE(WritePageFile(dir.File("list.htm"), outer, inner, collection, prefs));
    EXPECT_EQ(ReadBytes(dir.File("list.htm")), expected);

    WriteBytes(dir.File("old.htm"), "the old page");
    fs::permissions(dir.File("old.htm"), fs::perms::owner_read);
    EXPECT_FALSE(WritePageFile(dir.File("old.htm"), outer, inner, collection, prefs));
    EXPECT_EQ(ReadBytes(dir.File("old.htm")), "the old page");
    EXPECT_FALSE(WritePageFile(dir.File("missing/list.htm"), outer, inner, collection, prefs));
    EXPECT_EQ(CountEntries(dir.path), 2);
}
