#include <gtest/gtest.h>

#include "core/TestSupport.h"
#include "storage/Preferences.h"

TEST(Preferences, FirstRunFileHoldsEveryKeyEmptyAndAnEmptyLastLine)
{
    testsupport::TempDir dir;
    const std::string path = dir.File(kPreferencesFileName);
    const Preferences loaded = ReadPreferencesFile(path);  // creates the missing file
    EXPECT_EQ(loaded, Preferences());
    EXPECT_FALSE(loaded.TooltipsOn());

    ASSERT_TRUE(WritePreferencesFile(path, loaded));
    EXPECT_EQ(testsupport::ReadBytes(path),
              "CREATOR=NMR 1.0\r\nNAME=\r\nEMAIL=\r\nADDRESS1=\r\nADDRESS2=\r\nCITY=\r\nSTATE=\r\n"
              "COUNTRY=\r\nCATALOGUE=\r\nLIST=\r\nREPORT=\r\nVALREPORT=\r\nTOOLTIPS=\r\n\r\n");
}

TEST(Preferences, FilledPreferencesAreWrittenExactlyAndReadBack)
{
    testsupport::TempDir dir;
    const std::string path = dir.File(kPreferencesFileName);
    Preferences prefs;
    prefs[PrefKey::Name] = "Riverside Coin Club";
    prefs[PrefKey::Address1] = "12 Mill Lane";
    prefs[PrefKey::City] = "Springfield";
    prefs[PrefKey::Country] = "United States";
    prefs[PrefKey::Catalogue] = "catalogue.htm";
    prefs[PrefKey::List] = "list.htm";
    prefs[PrefKey::Tooltips] = "yes";
    ASSERT_TRUE(WritePreferencesFile(path, prefs));
    EXPECT_EQ(testsupport::ReadBytes(path),
              "CREATOR=NMR 1.0\r\nNAME=Riverside Coin Club\r\nEMAIL=\r\nADDRESS1=12 Mill Lane\r\n"
              "ADDRESS2=\r\nCITY=Springfield\r\nSTATE=\r\nCOUNTRY=United States\r\n"
              "CATALOGUE=catalogue.htm\r\nLIST=list.htm\r\nREPORT=\r\nVALREPORT=\r\n"
              "TOOLTIPS=yes\r\n\r\n");
    EXPECT_EQ(ReadPreferencesFile(path), prefs);
}

TEST(Preferences, ReaderTakesKnownKeysInAnyOrderAndLaterDuplicatesWin)
{
    testsupport::TempDir dir;
    const std::string path = dir.File(kPreferencesFileName);
    testsupport::WriteBytes(path, "TOOLTIPS=Yes\nVALREPORT=kept\nname=lower\nNAME=first\n"
                                  "UNKNOWN=x\nNAME=second\n");
    const Preferences prefs = ReadPreferencesFile(path);
    EXPECT_EQ(prefs[PrefKey::Name], "second");
    EXPECT_EQ(prefs[PrefKey::ValReport], "kept");
    EXPECT_EQ(prefs[PrefKey::Tooltips], "Yes");
    EXPECT_FALSE(prefs.TooltipsOn());
}
