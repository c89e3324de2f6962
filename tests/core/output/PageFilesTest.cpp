#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "core/TestSupport.h"
#include "output/PageFiles.h"

namespace fs = std::filesystem;
using testsupport::CountEntries;
using testsupport::ReadBytes;
using testsupport::TempDir;
using testsupport::WriteBytes;

namespace {

TEST(ReadTemplate, CreatesAMissingTemplateEmpty)
{
    TempDir dir;
    const std::string path = dir.File("ListInside.htm");
    const auto text = ReadTemplate(path);
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(*text, "");
    ASSERT_TRUE(fs::is_regular_file(path));
    EXPECT_EQ(fs::file_size(path), 0u);
    const fs::perms p = fs::status(path).permissions();
    EXPECT_NE(p & fs::perms::owner_read, fs::perms::none);
    EXPECT_NE(p & fs::perms::owner_write, fs::perms::none);
}

TEST(ReadTemplate, FailsWhenTheTemplateCanBeNeitherReadNorCreated)
{
    TempDir dir;
    fs::create_directory(dir.Path() / "ListOutside.htm");
    EXPECT_EQ(ReadTemplate(dir.File("ListOutside.htm")), std::nullopt);
    EXPECT_EQ(ReadTemplate(dir.File("no-such-folder/ListOutside.htm")), std::nullopt);
}

TEST(ReadTemplate, KeepsUtf8BytesAndDecodesWindows1252)
{
    TempDir dir;
    const std::string utf8 = "\xEF\xBB\xBF<p>\xC3\x96sterreich</p>\r\n<p>#NAME#</p>\r\n";
    WriteBytes(dir.Path() / "a.htm", utf8);
    EXPECT_EQ(ReadTemplate(dir.File("a.htm")), utf8);

    WriteBytes(dir.Path() / "b.htm", "<p>Fran\xE7" "aise \x80</p>\r\n");
    EXPECT_EQ(ReadTemplate(dir.File("b.htm")), "<p>Fran\xC3\xA7" "aise \xE2\x82\xAC</p>\r\n");
}

TEST(WritePage, WritesExactlyThePageReplacingTheOldOne)
{
    TempDir dir;
    const std::string path = dir.File("list.htm");
    WriteBytes(path, "an older and much longer page");
    const std::string page = "<p>a\r\nb\n</p>";  // no line end added at the end
    ASSERT_TRUE(WritePage(path, page));
    EXPECT_EQ(ReadBytes(path), page);
    EXPECT_EQ(CountEntries(dir.Path()), 1);
}

TEST(WritePage, FailsWithoutLeavingAFileWhenTheFolderIsMissing)
{
    TempDir dir;
    const SaveResult result = WritePage(dir.File("missing/list.htm"), "<p></p>");
    EXPECT_FALSE(result);
    EXPECT_FALSE(result.reason.empty());
    EXPECT_EQ(CountEntries(dir.Path()), 0);
}

}  // namespace
