#include <gtest/gtest.h>

#include <string>

#include "support/WideTextRoutines.h"

TEST(WideText, CarriesEveryCharacterBothWays)
{
    // Latin, a musical symbol, and G clef beyond the 16-bit range (a surrogate pair).
    const std::string Utf8 = "Zo\xC3\xAB \xE2\x99\xAA \xF0\x9D\x84\x9E";
    const std::wstring Wide = WideText(Utf8);
    EXPECT_EQ(Wide, (std::wstring{L'Z', L'o', 0x00EB, L' ', 0x266A, L' ', 0xD834, 0xDD1E}));
    EXPECT_EQ(Utf8Text(Wide), Utf8);
    EXPECT_EQ(WideText(""), L"");
    EXPECT_EQ(Utf8Text(L""), "");
}

TEST(WideText, BrokenTextBecomesReplacementCharactersNotAnError)
{
    EXPECT_EQ(WideText("a\xFF" "b"), (std::wstring{L'a', 0xFFFD, L'b'}));
    EXPECT_EQ(Utf8Text(std::wstring{L'a', 0xD834}), "a\xEF\xBF\xBD");
}

TEST(Utf8OfCodePage, ReadsTextOfAnANSICodePage)
{
    EXPECT_EQ(Utf8OfCodePage("Caf\xE9 \x80", 1252), "Caf\xC3\xA9 \xE2\x82\xAC");
    EXPECT_EQ(Utf8OfCodePage("Caf\xE9", 1251), "Caf\xD0\xB9");
    EXPECT_EQ(Utf8OfCodePage("", 1252), "");
}
