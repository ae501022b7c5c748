// Code pages, letter case, Format and number parsing.
#include "platform/rtl/CodePage.h"
#include "platform/rtl/SysUtils.h"

#include <gtest/gtest.h>

TEST(CodePage, EveryCp1251ByteRoundTripsThroughUtf8AndUtf16) {
    AnsiString all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    EXPECT_EQ(Utf8ToCp1251(Cp1251ToUtf8(all)), all);
    EXPECT_EQ(Utf16ToCp1251(Cp1251ToUtf16(all)), all);
}

TEST(CodePage, LiteralsAreCp1251AndConvertToUtf8) {
    // "Ошибка" as CP1251 bytes and as UTF-8.
    EXPECT_EQ(AnsiString("Ошибка"), AnsiString("\xCE\xF8\xE8\xE1\xEA\xE0"));
    EXPECT_EQ(Cp1251ToUtf8("Ошибка"), "\xD0\x9E\xD1\x88\xD0\xB8\xD0\xB1\xD0\xBA\xD0\xB0");
    EXPECT_EQ(Cp1251ToUtf8("\xB9"), "\xE2\x84\x96");  // No. sign
}

TEST(CodePage, CharactersWithoutCounterpartAreErrorsNotQuestionMarks) {
    AnsiString out;
    EXPECT_FALSE(TryUtf8ToCp1251("\xE4\xB8\xAD", out));           // a CJK character
    EXPECT_FALSE(TryUtf8ToCp1251("\xC3\xA9", out));               // e acute is not in CP1251
    EXPECT_FALSE(TryUtf8ToCp1251("\xD0", out));                   // cut-off sequence
    EXPECT_FALSE(TryUtf8ToCp1251("\xC0\xAF", out));               // overlong "/"
    EXPECT_FALSE(TryUtf16ToCp1251(u"\xD83D\xDE00", out));          // a surrogate pair
    EXPECT_THROW(Utf8ToCp1251("\xE4\xB8\xAD"), EConvertError);
    EXPECT_TRUE(TryUtf8ToCp1251("a\xD1\x91z", out));
    EXPECT_EQ(out, "a\xB8z");
}

TEST(CodePage, OemNamesConvertAndPseudoGraphicsAreMarked) {
    AnsiString out;
    // "Привет" in CP866.
    EXPECT_TRUE(OemToAnsi("\x8F\xE0\xA8\xA2\xA5\xE2", out));
    EXPECT_EQ(out, "Привет");
    EXPECT_TRUE(OemToAnsi("\xF0\xF1", out));  // Yo, yo
    EXPECT_EQ(out, "Ёё");
    EXPECT_FALSE(OemToAnsi("a\xC4z", out));  // a box-drawing line
    EXPECT_EQ(out, "a_z");
    EXPECT_TRUE(Utf8ToAnsi("\xD0\x9F\xD1\x80\xD0\xB8", out));  // "При"
    EXPECT_EQ(out, "При");
    EXPECT_FALSE(Utf8ToAnsi("a\xE4\xB8\xADz\xFF", out));  // a CJK character, a stray byte
    EXPECT_EQ(out, "a_z_");
    std::string oem;
    EXPECT_TRUE(AnsiToOem("Привет", oem));
    EXPECT_EQ(oem, "\x8F\xE0\xA8\xA2\xA5\xE2");
}

TEST(CodePage, Utf8Validity) {
    bool multi = true;
    EXPECT_TRUE(IsValidUtf8("plain", &multi));
    EXPECT_FALSE(multi);
    EXPECT_TRUE(IsValidUtf8("\xD0\x9F", &multi));
    EXPECT_TRUE(multi);
    EXPECT_FALSE(IsValidUtf8("\x8F\xE0\xA8\xA2\xA5\xE2"));  // CP866 Cyrillic is not UTF-8
}

TEST(LetterCase, LocaleRulesCoverCyrillicAsciiRulesDoNot) {
    EXPECT_EQ(AnsiUpperCase("абвгдеёжзийклмнопрстуфхцчшщъыьэюя"), "АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ");
    EXPECT_EQ(AnsiLowerCase("ЁЖ Abc ЎЇЄІҐЂЃЉЊЌЋЏЈЅ"), "ёж abc ўїєіґђѓљњќћџјѕ");
    EXPECT_EQ(UpperCase("abc жук"), "ABC жук");
    EXPECT_EQ(LowerCase("ABC ЖУК"), "abc ЖУК");
    EXPECT_EQ(AnsiUpperCase("\xB5"), "\xB5");  // micro sign has no capital in CP1251
    EXPECT_TRUE(AnsiSameText("Каталог", "КАТАЛОГ"));
    EXPECT_FALSE(SameText("Каталог", "КАТАЛОГ"));
    EXPECT_TRUE(SameText("Setup", "SETUP"));
    EXPECT_LT(AnsiCompareText("а", "Б"), 0);
}

TEST(Format, FormsTheSystemUses) {
    EXPECT_EQ(Format("%3.3d", 2), "002");
    EXPECT_EQ(Format("%3.3d", 1234), "1234");
    EXPECT_EQ(Format("Index %d is out of range", -1), "Index -1 is out of range");
    EXPECT_EQ(Format("tObject %s not in item list", AnsiString("TZipHeaderInfo")), "tObject TZipHeaderInfo not in item list");
    EXPECT_EQ(Format("%s=%d%%", "a", 5), "a=5%");
    EXPECT_EQ(Format("[%5d|%-4s]", 42, "ab"), "[   42|ab  ]");
    EXPECT_EQ(Format("%x %X", 255, 0xABCD), "ff ABCD");
    EXPECT_THROW(Format("%d"), EConvertError);
    EXPECT_THROW(Format("%d", "text"), EConvertError);
}

TEST(Numbers, IntegersAsTheSettingsFileWritesThem) {
    struct Case {
        const char* text;
        bool ok;
        int32_t value;
    } cases[] = {
        {"0", true, 0},        {"1", true, 1},          {"-1", true, -1},      {"+7", true, 7},
        {"  12", true, 12},    {"0x1", true, 1},        {"0X1f", true, 31},    {"$A", true, 10},
        {"x10", true, 16},     {"X10", true, 16},       {"-$10", true, -16},   {"yes", false, 0},
        {"True", false, 0},    {"", false, 0},          {"12a", false, 0},     {"0x", false, 0},
        {"$", false, 0},       {"2147483647", true, 2147483647},                {"2147483648", false, 0},
        {"-2147483648", true, INT32_MIN},               {"$FFFFFFFF", true, -1}, {"1 ", false, 0},
    };
    for (const auto& c : cases) {
        int32_t v = 0;
        EXPECT_EQ(TryStrToInt(c.text, v), c.ok) << c.text;
        if (c.ok) { EXPECT_EQ(v, c.value) << c.text; }
    }
}

TEST(Paths, ComponentsOfWindowsPaths) {
    EXPECT_EQ(ExtractFilePath("C:\\dist\\setup.exe"), "C:\\dist\\");
    EXPECT_EQ(ExtractFileDir("C:\\dist\\setup.exe"), "C:\\dist");
    EXPECT_EQ(ExtractFileDir("E:\\setup.exe"), "E:\\");
    EXPECT_EQ(ExtractFileName("C:\\dist\\setup.exe"), "setup.exe");
    EXPECT_EQ(ExtractFileName("c:readme.txt"), "readme.txt");
    EXPECT_EQ(ExtractFileExt("a.b\\setup"), "");
    EXPECT_EQ(ChangeFileExt("C:\\dist\\setup.exe", ".dat"), "C:\\dist\\setup.dat");
    EXPECT_EQ(ChangeFileExt("C:\\d.x\\setup", ".ini"), "C:\\d.x\\setup.ini");
    EXPECT_EQ(Trim(" \t a b \r\n"), "a b");
    EXPECT_EQ(ReplaceTextAscii("%InstallDir%\\x;%INSTALLDIR%", "%INSTALLDIR%", "C:\\%installdir%"),
              "C:\\%installdir%\\x;C:\\%installdir%");
}
