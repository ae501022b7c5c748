// String lists, settings files and dates.
#include "platform/os/FileSystem.h"
#include "platform/rtl/Classes.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/IniFiles.h"
#include "platform/rtl/SysUtils.h"
#include "tests/common/TestPaths.h"

#include <gtest/gtest.h>

TEST(StringList, LookupIgnoresCyrillicCase) {
    TStringList list{"C:\\Каталог\\a.txt", "b"};
    EXPECT_EQ(list.IndexOf("c:\\КАТАЛОГ\\A.TXT"), 0);
    EXPECT_EQ(list.IndexOf("B"), 1);
    EXPECT_EQ(list.IndexOf("c"), -1);
    EXPECT_THROW(list[2], EListError);
}

TEST(StringList, SavesWithCrLfAndLoadsEveryLineEnd) {
    TScratchDir dir;
    TStringList list{"первая|", "", "\xFF\x98 bytes"};
    list.SaveToFile(dir / "log.txt");
    EXPECT_EQ(ReadFileBytes(dir / "log.txt"), "первая|\r\n\r\n\xFF\x98 bytes\r\n");
    WriteFileBytes(dir / "mixed.txt", "a\r\nb\nc\rd");
    TStringList loaded;
    loaded.LoadFromFile(dir / "mixed.txt");
    EXPECT_EQ(loaded.Lines, (std::vector<AnsiString>{"a", "b", "c", "d"}));
    EXPECT_THROW(loaded.LoadFromFile(dir / "missing.txt"), EFOpenError);
}

TEST(IniFile, RulesOfTheSettingsFile) {
    TIniFile ini("");
    ini.Parse(
        "[Main]\r\n"
        "  InstallDir = \"C:\\Program Files\\X\"  \r\n"
        "AutoRun=yes\r\n"
        "autorun=1\r\n"
        "SelectDialog= 0x1 \r\n"
        "FinalMessage=$A\r\n"
        "Quoted='single'\r\n"
        "Mixed=\"a'\r\n"
        "not a key line\r\n"
        "Empty=\r\n"
        "[links]\r\n"
        "StartMenu=-1\r\n"
        "Desktop=0\r\n");
    EXPECT_EQ(ini.ReadString("MAIN", "installdir", ""), "C:\\Program Files\\X");
    EXPECT_FALSE(ini.ReadBool("Main", "AutoRun", false));  // the first key wins: "yes"
    EXPECT_TRUE(ini.ReadBool("main", "SelectDialog", false));
    EXPECT_TRUE(ini.ReadBool("Main", "FinalMessage", false));
    EXPECT_EQ(ini.ReadString("Main", "Quoted", ""), "single");
    EXPECT_EQ(ini.ReadString("Main", "Mixed", ""), "\"a'");
    EXPECT_EQ(ini.ReadString("Main", "Empty", "default"), "");
    EXPECT_EQ(ini.ReadString("Main", "Missing", "default"), "default");
    EXPECT_TRUE(ini.ReadBool("Links", "StartMenu", false));
    EXPECT_FALSE(ini.ReadBool("Links", "Desktop", true));
    EXPECT_TRUE(ini.ReadBool("Setup", "Run", true));
}

TEST(IniFile, LongValuesAreCutAndMissingFilesHaveNoValues) {
    TIniFile ini("");
    ini.Parse("[s]\nk=" + AnsiString(3000, 'x') + "\n");
    EXPECT_EQ(ini.ReadString("s", "k", "").size(), 2047u);
    TScratchDir dir;
    TIniFile missing(dir / "setup.ini");
    EXPECT_EQ(missing.ReadString("Main", "InstallDir", "d"), "d");
    WriteFileBytes(dir / "setup.ini", "[Main]\r\nAutoRun=1\r\n");
    EXPECT_TRUE(TIniFile(dir / "setup.ini").ReadBool("Main", "AutoRun", false));
}

TEST(Dates, DosDateTimesAndDateValues) {
    // 2012-03-05 14:30:58
    const int32_t dos = static_cast<int32_t>((32u << 25 | 3u << 21 | 5u << 16) | (14u << 11 | 30u << 5 | 29u));
    TDateTime value;
    ASSERT_TRUE(TryDosDateTimeToDateTime(dos, value));
    EXPECT_EQ(FormatDateDdMmYyyy(value), "05.03.2012");
    const TDateParts p = DecodeDateTime(value);
    EXPECT_EQ(p.Hour, 14);
    EXPECT_EQ(p.Minute, 30);
    EXPECT_EQ(p.Second, 58);
    EXPECT_EQ(DateTimeToDosDateTime(value), dos);
    EXPECT_FALSE(TryDosDateTimeToDateTime(0, value));  // day 0 of month 0
    TDateParts epoch;
    TDateTime zero = 1;
    ASSERT_TRUE(TryEncodeDateTime(epoch, zero));
    EXPECT_EQ(zero, 0.0);
}
