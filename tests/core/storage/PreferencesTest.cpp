#include <gtest/gtest.h>

#include "core/TestSupport.h"
#include "storage/Preferences.h"

TEST(Preferences, FirstRunFileIsExactAndLaterDuplicatesWin)
{
    TempDir dir;
    const std::string path = dir.File(kPreferencesFileName);
    EXPECT_EQ(ReadPreferencesFile(path), Preferences());  // creates the missing file
    ASSERT_TRUE(WritePreferencesFile(path, Preferences()));
    EXPECT_EQ(ReadBytes(path),
              "CREATOR=NMR 1.0\r\nNAME=\r\nEMAIL=\r\nADDRESS1=\r\nADDRESS2=\r\nCITY=\r\nSTATE=\r\n"
              "COUNTRY=\r\nCATALOGUE=\r\nLIST=\r\nREPORT=\r\nVALREPORT=\r\nTOOLTIPS=\r\n\r\n");

    WriteBytes(path, "TOOLTIPS=Yes\nNAME=first\nVALREPORT=v.htm\nNAME=second\nname=lower\nX=1\n");
    Preferences prefs = ReadPreferencesFile(path);
    EXPECT_FALSE(prefs.TooltipsOn());  // only exactly "yes"
    Preferences expected;
    expected[PrefKey::Name] = "second";
    expected[PrefKey::ValReport] = "v.htm";
    expected[PrefKey::Tooltips] = "Yes";
    EXPECT_EQ(prefs, expected);

    prefs[PrefKey::Tooltips] = "yes";
    ASSERT_TRUE(WritePreferencesFile(path, prefs));
    EXPECT_EQ(ReadPreferencesFile(path), prefs);
    EXPECT_TRUE(prefs.TooltipsOn());
}
