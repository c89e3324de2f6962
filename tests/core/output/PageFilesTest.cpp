#include <gtest/gtest.h>

#include <regex>

#include "core/TestSupport.h"
#include "output/PageComposer.h"
#include "output/PageFiles.h"
#include "storage/AtomicFile.h"
#include "storage/DataFile.h"

TEST(PageFiles, MissingTemplateIsCreatedEmptyAndAFailedPageLeavesNoFile)
{
    TempDir dir;
    EXPECT_EQ(ReadTemplate(dir.File("ListInside.htm")), "");
    EXPECT_EQ(ReadBytes(dir.File("ListInside.htm")), "");  // throws unless it now exists
    fs::create_directory(dir.File("folder.htm"));
    EXPECT_EQ(ReadTemplate(dir.File("folder.htm")), std::nullopt);
    WriteBytes(dir.File("b.htm"), "<p>Fran\xE7" "aise</p>\r\n");
    EXPECT_EQ(ReadTemplate(dir.File("b.htm")), "<p>Fran\xC3\xA7" "aise</p>\r\n");

    EXPECT_FALSE(WriteFileAtomically(dir.File("missing/list.htm"), "<p></p>"));
    WriteBytes(dir.File("list.htm"), "an older and much longer page");
    ASSERT_TRUE(WriteFileAtomically(dir.File("list.htm"), "<p>a\r\nb\n</p>"));
    EXPECT_EQ(ReadBytes(dir.File("list.htm")), "<p>a\r\nb\n</p>");
    EXPECT_EQ(CountEntries(dir.path), 4);
}

TEST(SampleFiles, DemoCollectionRoundTripsAndTemplatesFillEveryTag)
{
    const fs::path source = fs::path(NUMORA_TEST_DATA).parent_path().parent_path();
    Collection demo;
    demo.LoadBottomUp(ReadDataFile((source / "demo/nmr.dat").string()));
    TempDir dir;
    ASSERT_TRUE(WriteDataFile(dir.File("nmr.dat"), demo));
    EXPECT_EQ(ReadBytes(dir.File("nmr.dat")), ReadBytes(source / "demo/nmr.dat"));
    for (const std::string kind : {"List", "Catalogue"}) {
        const fs::path tpl = source / "templates";
        const std::string page = ComposePage(ReadBytes(tpl / (kind + "Outside.htm")),
                                             ReadBytes(tpl / (kind + "Inside.htm")), demo, {});
        EXPECT_FALSE(std::regex_search(page, std::regex("#[A-Z0-9]+#"))) << kind;
        EXPECT_NE(page.find(FooterRow()), std::string::npos) << kind;
    }
}
