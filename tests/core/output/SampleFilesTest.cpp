#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>

#include "core/TestSupport.h"
#include "output/PageComposer.h"
#include "output/PageFiles.h"
#include "storage/DataFile.h"

namespace fs = std::filesystem;
using testsupport::ReadBytes;
using testsupport::TempDir;

namespace {

const fs::path kSourceDir = fs::path(NUMORA_TEST_DATA).parent_path().parent_path();

// The demo collection is written in exactly the form the program writes: saving what was read
// gives the same bytes back.
TEST(SampleFiles, DemoCollectionIsInTheProgramsOwnFormat)
{
    const fs::path demo = kSourceDir / "demo" / "nmr.dat";
    Collection collection;
    collection.LoadBottomUp(ReadDataFile(demo.string()));
    EXPECT_GE(collection.Count(), 20);
    EXPECT_LE(collection.Count(), 30);

    TempDir dir;
    ASSERT_TRUE(WriteDataFile(dir.File("nmr.dat"), collection));
    EXPECT_EQ(ReadBytes(dir.File("nmr.dat")), ReadBytes(demo));

    for (const CoinRecord& coin : collection.BottomUp()) {
        const std::string image(coin.Get(CoinField::Image));
        if (!image.empty()) {
            EXPECT_TRUE(fs::is_regular_file(kSourceDir / "demo" / image)) << image;
        }
    }
}

// Both sample page pairs use only tags the program knows, and put the coins and the footer row
// inside the table.
TEST(SampleFiles, SampleTemplatesFillEveryTag)
{
    Collection collection;
    collection.LoadBottomUp(ReadDataFile((kSourceDir / "demo" / "nmr.dat").string()));
    Preferences prefs;
    prefs[PrefKey::Name] = "N";
    const std::regex leftoverTag("#[A-Z0-9]+#");
    for (const auto& [outerName, innerName] :
         {std::pair{"ListOutside.htm", "ListInside.htm"},
          std::pair{"CatalogueOutside.htm", "CatalogueInside.htm"}}) {
        SCOPED_TRACE(outerName);
        const std::string outer = ReadBytes(kSourceDir / "templates" / outerName);
        const std::string inner = ReadBytes(kSourceDir / "templates" / innerName);
        const std::string page = ComposePage(outer, inner, collection, prefs);

        EXPECT_FALSE(std::regex_search(page, leftoverTag));
        EXPECT_EQ(page.rfind("<!DOCTYPE html>", 0), 0u);
        const std::size_t footer = page.find(FooterRow());
        ASSERT_NE(footer, std::string::npos);
        EXPECT_LT(page.find("Sovereign"), footer);
        EXPECT_LT(footer, page.find("</tbody>"));
        // The footer's link is the page's only address outside it: no remote fonts, scripts
        // or pictures.
        EXPECT_EQ(page.find("http"), page.rfind("http"));
        EXPECT_EQ(page.find("//"), page.rfind("//"));
    }
}

}  // namespace
