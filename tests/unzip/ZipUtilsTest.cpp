// Wildcards, DOS date normalisation, percentages and the message table.
#include "platform/rtl/SysUtils.h"
#include "unzip/StringResource.h"
#include "unzip/Wildcard.h"
#include "unzip/ZipUtils.h"

#include <gtest/gtest.h>

TEST(Wildcard, PatternTable) {
    struct Case {
        const char* pattern;
        const char* text;
        int result;
    } cases[] = {
        {"*.txt", "docs\\a.txt", MATCH_VALID},
        {"*.TXT", "docs\\a.txt", MATCH_VALID},
        {"a?c", "axc", MATCH_VALID},
        {"a?c", "ac", MATCH_ABORT},
        {"*<0-9>", "2024", MATCH_VALID},
        {"*<0-9>", "ab12", MATCH_ABORT},
        {"*", "", MATCH_VALID},
        {"*", "anything", MATCH_VALID},
        {"<!a-c>x", "dx", MATCH_VALID},
        {"<!a-c>x", "bx", MATCH_RANGE},
        {"<a-c>x", "dx", MATCH_RANGE},
        {"<^a>", "b", MATCH_VALID},
        {"<>", "a", MATCH_PATTERN},
        {"a<b", "ab", MATCH_PATTERN},
        {"<a-", "a", MATCH_PATTERN},
        {"<a->", "a", MATCH_PATTERN},
        {"*<0-9", "12", MATCH_PATTERN},
        {"abc", "abcd", MATCH_END},
        {"abc", "abd", MATCH_LITERAL},
        {"a*", "a", MATCH_VALID},
        {"*b", "abab", MATCH_VALID},
        {"*b", "abba", MATCH_END},
        {"d*\\*.*", "docs\\readme.txt", MATCH_VALID},
        {"<a-cx-z>1", "y1", MATCH_VALID},
        {"*<!x>", "abc", MATCH_VALID},
        {"*<!x>", "axc", MATCH_ABORT},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(WildcardMatch(c.pattern, c.text), c.result) << c.pattern << " / " << c.text;
        EXPECT_EQ(IsMatch(c.pattern, c.text), c.result == MATCH_VALID) << c.pattern << " / " << c.text;
    }
}

namespace {
uint32_t Dos(int y, int mo, int d, int h, int mi, int s2) {
    return static_cast<uint32_t>(y - 1980) << 25 | static_cast<uint32_t>(mo) << 21 | static_cast<uint32_t>(d) << 16 |
           static_cast<uint32_t>(h) << 11 | static_cast<uint32_t>(mi) << 5 | static_cast<uint32_t>(s2);
}
}  // namespace

TEST(FixDosDateTime, ClampsOnlyWhatIsOutOfRange) {
    EXPECT_EQ(FixDosDateTime(Dos(2012, 3, 5, 25, 10, 4)), Dos(2012, 3, 5, 23, 10, 4));
    EXPECT_EQ(FixDosDateTime(Dos(2012, 3, 5, 10, 10, 30)), Dos(2012, 3, 5, 10, 10, 29));  // 60 s -> 58 s
    EXPECT_EQ(FixDosDateTime(Dos(2012, 13, 0, 10, 61, 1)), Dos(2012, 12, 1, 10, 59, 1));
    EXPECT_EQ(FixDosDateTime(Dos(2100, 1, 1, 0, 0, 0)), Dos(2099, 1, 1, 0, 0, 0));
    EXPECT_EQ(FixDosDateTime(0), Dos(1980, 1, 1, 0, 0, 0));
    // Valid values, including day 31 of February, come back bit for bit.
    for (uint32_t v : {Dos(2012, 3, 5, 14, 30, 29), Dos(2016, 2, 31, 0, 0, 0), Dos(2099, 12, 31, 23, 59, 29)})
        EXPECT_EQ(FixDosDateTime(v), v);
}

TEST(Percent, HalvesGoToTheEvenNeighbour) {
    EXPECT_EQ(PercentOf(1, 8), 12);   // 12.5
    EXPECT_EQ(PercentOf(3, 8), 38);   // 37.5
    EXPECT_EQ(PercentOf(5, 0), 0);
    EXPECT_EQ(PercentOf(9, 8), 100);
    EXPECT_EQ(PercentOf(1, 3), 33);
    EXPECT_EQ(PercentOf(2, 3), 67);
    EXPECT_EQ(BigPercentOf(5, 8), 62);   // 62.5
    EXPECT_EQ(BigPercentOf(7, 8), 88);   // 87.5
    EXPECT_EQ(BigPercentOf(INT64_MAX / 2, INT64_MAX), 50);
    EXPECT_EQ(BigPercentOf(3000000000LL, 2000000000LL), 100);
    EXPECT_EQ(BigPercentOf(1, -5), 0);
}

TEST(TextHelpers, SlashesAndEnds) {
    AnsiString s = "a/b/c";
    SlashesToBackslashes(s);
    EXPECT_EQ(s, "a\\b\\c");
    EXPECT_EQ(LeftChars("abc", 2), "ab");
    EXPECT_EQ(LeftChars("abc", 5), "abc");
    EXPECT_EQ(RightChars("abc", 2), "bc");
    EXPECT_EQ(RightChars("abc", 9), "abc");
}

TEST(StringResource, StreamMessagesAndUnknownTables) {
    EXPECT_EQ(LoadMessage("S_Stream", 1), "Seek error");
    EXPECT_EQ(LoadMessage("s_stream", 2), "Invalid seek origin (%d)");
    EXPECT_EQ(LoadMessage("S_Stream", 8), "");
    try {
        LoadMessage("Other", 1);
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message, "No such string resource: Other");
    }
}
