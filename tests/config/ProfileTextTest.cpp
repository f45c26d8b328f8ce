#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>

#include "LineBreaks.h"
#include "ProfileFileFixture.h"

// What reads find in the text of a profile file, and how a write edits it.
using ProfileTextTest = TProfileFileFixture;

TEST_F(ProfileTextTest, LookupIgnoresCaseTrimsBlanksAndTakesTheFirstMatch)
{
    const ProfileFile Ini = Holding(
        "Stray=before any section\n"
        "[ Keyboard ]\n"
        "  Channel  =  5  \n"
        "CHANNEL=6\n"
        "Bare\n"
        "Empty=\n"
        "[keyboard]\n"
        "Channel=7\n"
        "Later=only in the second section\n");
    EXPECT_EQ(Ini.ReadString("KEYBOARD", "channel", "-"), "5");
    EXPECT_EQ(Ini.ReadString("Keyboard", "Later", "default"), "default");
    EXPECT_EQ(Ini.ReadString("Keyboard", "Bare", "default"), "default");
    EXPECT_EQ(Ini.ReadString("Keyboard", "Empty", "default"), "");
    EXPECT_EQ(Ini.ReadString("Keyboard", "Stray", "default"), "default");
    EXPECT_EQ(Ini.ReadString("Mouse", "Channel", "default"), "default");
    EXPECT_EQ(ProfileFile(Folder / "Missing.ini").ReadString("Keyboard", "Channel", "default"), "default");
}

TEST_F(ProfileTextTest, OnePairOfMatchingQuotesIsDroppedAndValuesAreCut)
{
    const std::string Long(3000, 'v');
    const ProfileFile Ini = Holding(
        "[S]\n"
        "Double=\"quoted text\"\n"
        "Single='quoted'\n"
        "Twice=\"\"x\"\"\n"
        "Mixed=\"x'\n"
        "Inner= \" blanks kept \" \n"
        "Lone=\"\n"
        "Long=" + Long + "\n");
    EXPECT_EQ(Ini.ReadString("S", "Double", ""), "quoted text");
    EXPECT_EQ(Ini.ReadString("S", "Single", ""), "quoted");
    EXPECT_EQ(Ini.ReadString("S", "Twice", ""), "\"x\"");
    EXPECT_EQ(Ini.ReadString("S", "Mixed", ""), "\"x'");
    EXPECT_EQ(Ini.ReadString("S", "Inner", ""), " blanks kept ");
    EXPECT_EQ(Ini.ReadString("S", "Lone", ""), "\"");
    EXPECT_EQ(Ini.ReadString("S", "Long", ""), Long.substr(0, 2047));
}

TEST_F(ProfileTextTest, ReadsCRLFFilesAndSkipsAByteOrderMark)
{
    const ProfileFile Ini = Holding("\xEF\xBB\xBF[Keyboard]\r\nChannel=3\r\nMap=Typing\r\n");
    EXPECT_EQ(Ini.ReadInteger("Keyboard", "Channel", 0), 3);
    EXPECT_EQ(Ini.ReadString("Keyboard", "Map", ""), "Typing");
    EXPECT_EQ(Ini.ReadSections(), (TStringList{"Keyboard"}));
}

TEST_F(ProfileTextTest, IntegersReadDecimalAndBothHexadecimalForms)
{
    const std::pair<const char*, int32_t> Cases[] = {
        {"10", 10}, {"007", 7}, {"-5", -5}, {"+5", 5}, {"0x0A", 10}, {"0X1f", 31}, {"$1F", 31}, {"-$A", -10},
        {"2147483647", INT32_MAX}, {"-2147483648", INT32_MIN}, {"0xFFFFFFFF", -1}, {"\"12\"", 12},
        // Texts that are no integer give the default.
        {"0x", 99}, {"$", 99}, {"-", 99}, {"", 99}, {"12abc", 99}, {"1 2", 99}, {"yes", 99}, {"0x-5", 99},
        {"2147483648", 99}, {"-2147483649", 99}, {"0x100000000", 99}, {"$G", 99}, {"1.5", 99}};
    std::string Bytes = "[S]\n";
    for (size_t Index = 0; Index < std::size(Cases); ++Index)
        Bytes += "K" + std::to_string(Index) + "=" + Cases[Index].first + "\n";
    const ProfileFile Ini = Holding(Bytes);
    for (size_t Index = 0; Index < std::size(Cases); ++Index)
        EXPECT_EQ(Ini.ReadInteger("S", "K" + std::to_string(Index), 99), Cases[Index].second) << Cases[Index].first;
}

TEST_F(ProfileTextTest, BooleansAreIntegersAndAnyOtherThanZeroIsTrue)
{
    const ProfileFile Ini = Holding("[S]\nZero=0\nOne=1\nTwo=2\nMinus=-1\nYes=yes\nTrue=true\n");
    EXPECT_FALSE(Ini.ReadBool("S", "Zero", true));
    EXPECT_TRUE(Ini.ReadBool("S", "One", false));
    EXPECT_TRUE(Ini.ReadBool("S", "Two", false));
    EXPECT_TRUE(Ini.ReadBool("S", "Minus", false));
    EXPECT_FALSE(Ini.ReadBool("S", "Yes", false));
    EXPECT_TRUE(Ini.ReadBool("S", "True", true));
    EXPECT_TRUE(Ini.ReadBool("S", "Missing", true));
}

TEST_F(ProfileTextTest, WritesReplaceTheFirstMatchAndLeaveEveryOtherByteAlone)
{
    ProfileFile Ini = Holding("; kept as it is\n[keyboard]\n  channel = 5\nChannel=6\n\n[Mouse]\nOctave=4\n");
    Ini.WriteInteger("Keyboard", "Channel", 9);
    EXPECT_EQ(Stored(), "; kept as it is\n[keyboard]\nchannel=9\nChannel=6\n\n[Mouse]\nOctave=4\n");
    Ini.WriteString("Keyboard", "Map", "Typing");
    EXPECT_EQ(Stored(), "; kept as it is\n[keyboard]\nchannel=9\nChannel=6\nMap=Typing\n\n[Mouse]\nOctave=4\n");
    Ini.WriteBool("Config", "Flag", true);
    EXPECT_EQ(Stored(),
              "; kept as it is\n[keyboard]\nchannel=9\nChannel=6\nMap=Typing\n\n[Mouse]\nOctave=4\n[Config]\nFlag=1\n");
    // A bare key takes the value in its own line.
    ProfileFile Bare = Holding("[S]\nKey\nOther=1\n");
    Bare.WriteString("S", "Key", "");
    EXPECT_EQ(Stored(), "[S]\nKey=\nOther=1\n");
}

TEST_F(ProfileTextTest, WritesKeepTheFileLineBreaksAndByteOrderMark)
{
    ProfileFile Windows = Holding("\xEF\xBB\xBF[Keyboard]\r\nChannel=5\r\n");
    Windows.WriteInteger("keyboard", "channel", 2);
    Windows.WriteInteger("Keyboard", "Octave", 3);
    Windows.WriteInteger("Mouse", "Octave", 4);
    EXPECT_EQ(Stored(), "\xEF\xBB\xBF[Keyboard]\r\nChannel=2\r\nOctave=3\r\n[Mouse]\r\nOctave=4\r\n");

    ProfileFile Unfinished = Holding("[Keyboard]\nChannel=5");
    Unfinished.WriteInteger("Keyboard", "Octave", 3);
    EXPECT_EQ(Stored(), "[Keyboard]\nChannel=5\nOctave=3\n");
    // A file without a line break yet, and a new file, take the platform's.
    ProfileFile HeaderOnly = Holding("[Keyboard]");
    HeaderOnly.WriteInteger("Mouse", "Octave", 3);
    EXPECT_EQ(Stored(), InNewProfileLines("[Keyboard]\n[Mouse]\nOctave=3\n"));

    ProfileFile Fresh(Folder / "New.ini");
    Fresh.WriteString("Keyboard", "Map", "Tracker");
    EXPECT_EQ(Folder.Read("New.ini"), InNewProfileLines("[Keyboard]\nMap=Tracker\n"));
}
