#include <gtest/gtest.h>

#include <array>

#include "core/TestSupport.h"
#include "output/DateText.h"
#include "output/PageComposer.h"
#include "storage/DataFile.h"

TEST(PageComposer, ReplaceTagScansOnceLeftToRightAndDatesArePadded)
{
    const std::array<const char*, 4> cases[] = {
        {"a #X# b #X#", "#X#", "1", "a 1 b 1"},
        {"#X#X#", "#X#", "-", "-X#"},
        {"#X#", "#X#", "#X##X#", "#X##X#"},  // the inserted value is not searched again
        {"#x# #X", "#X#", "1", "#x# #X"},
        {"no tag", "", "1", "no tag"},
    };
    for (const auto& [text, tag, value, expected] : cases)
        EXPECT_EQ(ReplaceTag(text, tag, value), expected) << text;
    EXPECT_EQ(DateText(1965, 1, 31) + " " + DateText(2005, 3, 7) + " " + DateText(2050, 12, 1),
              "1965-01-31 2005-03-07 2050-12-01");
}

// Each folder under tests/data/pages holds the templates, nmr.dat, nmr.ini and expected.htm;
// tags_inside_values checks the fixed order of substitution (a "#NAME#" in Current Value is
// filled, one in Description is not).
class PageCase : public testing::TestWithParam<std::string> {};

TEST_P(PageCase, ComposesTheExpectedPage)
{
    const fs::path dir = fs::path(NUMORA_TEST_DATA) / "pages" / GetParam();
    Collection collection;
    collection.LoadBottomUp(ReadDataFile((dir / "nmr.dat").string()));
    EXPECT_EQ(ComposePage(ReadBytes(dir / "Outside.htm"), ReadBytes(dir / "Inside.htm"), collection,
                          ReadPreferencesFile((dir / "nmr.ini").string())),
              ReadBytes(dir / "expected.htm"));
}

static std::vector<std::string> PageCases()
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(fs::path(NUMORA_TEST_DATA) / "pages"))
        if (entry.is_directory())
            names.push_back(entry.path().filename().string());
    return names;
}

INSTANTIATE_TEST_SUITE_P(Pages, PageCase, testing::ValuesIn(PageCases()),
                         [](const auto& p) { return p.param; });

// Pages whose rows hold no "#" take a shorter road for the preference tags; it must give the
// page that substituting every tag over the whole text in turn gives.
TEST(PageComposer, PreferenceTagsGiveTheSamePageWhetherOrNotRowsHoldTags)
{
    Preferences prefs;
    prefs[PrefKey::Name] = "Ann #PREFSEMAIL#";
    prefs[PrefKey::Email] = "ann@example.org";
    const std::string outer = "<h1>#PREFSNAME#</h1>#DATA#|#PREFS#DATA#EMAIL#|#PREFSEMAIL#";
    for (const char* name : {"Plain", "With #PREFSNAME# inside"}) {
        Collection collection;
        collection.InsertTop(CoinRecord::FromTexts({name}));
        std::string expected = ReplaceTag(outer, "#DATA#", "<td>" + std::string(name) + "</td>" + FooterRow());
        for (const char* tag : {"#PREFSNAME#", "#PREFSADDRESS1#", "#PREFSADDRESS2#", "#PREFSCITY#",
                                "#PREFSSTATE#", "#PREFSCOUNTRY#", "#PREFSEMAIL#"})
            expected = ReplaceTag(expected, tag,
                                  std::string_view(tag) == "#PREFSNAME#"    ? prefs[PrefKey::Name]
                                  : std::string_view(tag) == "#PREFSEMAIL#" ? prefs[PrefKey::Email]
                                                                            : std::string());
        EXPECT_EQ(ComposePage(outer, "<td>#NAME#</td>", collection, prefs), expected) << name;
    }
}

TEST(PageComposer, OneLongValueOnTopDoesNotAskForItsSizeOncePerCoin)
{
    // 100,000 coins under a top coin with a 300 KB Description that the template does not show:
    // the page is small, and must be composed within far less than 100,000 times 300 KB.
    Collection collection;
    for (int i = 0; i < 100000; ++i)
        collection.InsertTop(CoinRecord::FromTexts({"Penny", std::to_string(1900 + i % 100)}));
    CoinRecord top = CoinRecord::FromTexts({"Thaler", "1780"});
    top.Set(CoinField::Description, std::string(300 * 1024, 'd'));
    collection.InsertTop(top);
    EXPECT_CHILD_PASSES(RunInChild([] { return LimitMemoryTo(std::size_t{512} << 20); }, [&] {
        const std::string page = ComposePage("<table>#DATA#</table>", "<tr><td>#NAME# #YEAR#</td></tr>\n",
                                             collection, Preferences());
        return page.size() < 5'000'000 && page.find("Thaler 1780") != std::string::npos;
    }), "a long value on the top coin");
}
