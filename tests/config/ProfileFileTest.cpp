#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <random>

#include "FullDisk.h"
#include "TemporaryFolder.h"
#include "config/ProfileFile.h"

namespace {

class ProfileFileTest : public ::testing::Test {
protected:
    // A profile file in the temporary folder holding exactly Bytes.
    ProfileFile Holding(const std::string& Bytes)
    {
        Folder.Write("Test.ini", Bytes);
        return ProfileFile(Folder / "Test.ini");
    }

    std::string Stored() const { return Folder.Read("Test.ini"); }

    TTemporaryFolder Folder;
};

ino_t InodeOf(const std::string& FileName)
{
    struct stat Status {};
    stat(FileName.c_str(), &Status);
    return Status.st_ino;
}

}

TEST_F(ProfileFileTest, LookupIgnoresCaseTrimsBlanksAndTakesTheFirstMatch)
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

TEST_F(ProfileFileTest, OnePairOfMatchingQuotesIsDroppedAndValuesAreCut)
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

TEST_F(ProfileFileTest, ReadsCRLFFilesAndSkipsAByteOrderMark)
{
    const ProfileFile Ini = Holding("\xEF\xBB\xBF[Keyboard]\r\nChannel=3\r\nMap=Typing\r\n");
    EXPECT_EQ(Ini.ReadInteger("Keyboard", "Channel", 0), 3);
    EXPECT_EQ(Ini.ReadString("Keyboard", "Map", ""), "Typing");
    EXPECT_EQ(Ini.ReadSections(), (TStringList{"Keyboard"}));
}

TEST_F(ProfileFileTest, IntegersReadDecimalAndBothHexadecimalForms)
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

TEST_F(ProfileFileTest, BooleansAreIntegersAndAnyOtherThanZeroIsTrue)
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

TEST_F(ProfileFileTest, ListingsGiveNamesAsWrittenInFileOrderAndAgreeWithReads)
{
    const ProfileFile Ini = Holding(
        "[Piano]\n"
        "1=First\n"
        " Bare \n"
        "one=Second\n"
        "=no name\n"
        "[Organ]\n"
        "[PIANO]\n"
        "9=never read\n");
    EXPECT_EQ(Ini.ReadSections(), (TStringList{"Piano", "Organ", "PIANO"}));
    EXPECT_EQ(Ini.ReadSection("piano"), (TStringList{"1", "Bare", "one"}));
    EXPECT_EQ(Ini.ReadSection("Organ"), TStringList{});
    EXPECT_EQ(Ini.ReadSection("Missing"), TStringList{});

    const TProfileListing Listing = Ini.ReadListing();
    ASSERT_EQ(Listing.Sections(), Ini.ReadSections());
    for (size_t Section = 0; Section < Listing.Sections().size(); ++Section) {
        const std::string& Name = Listing.Sections()[Section];
        TStringList Keys;
        for (const TProfileEntry& Entry : Listing.Entries(Section)) {
            Keys.push_back(Entry.Name);
            EXPECT_EQ(Entry.Value.value_or("(default)"), Ini.ReadString(Name, Entry.Name, "(default)"))
                << Name << " " << Entry.Name;
        }
        EXPECT_EQ(Keys, Ini.ReadSection(Name)) << Name;
    }
}

TEST_F(ProfileFileTest, ListingsStopAtSixteenKilobytesCountingOneTerminatorPerName)
{
    // Sixteen names of 1023 bytes fill the listing exactly; the seventeenth is left out.
    std::string Sections;
    std::string Keys = "[Keys]\n";
    for (char Letter = 'a'; Letter <= 'q'; ++Letter) {
        Sections += "[" + std::string(1023, Letter) + "]\n";
        Keys += std::string(1023, Letter) + "=1\n";
    }
    const ProfileFile Ini = Holding(Keys + Sections);
    const TStringList Names = Ini.ReadSections();
    ASSERT_EQ(Names.size(), 16u);
    EXPECT_EQ(Names.front(), "Keys");
    EXPECT_EQ(Names.back(), std::string(1023, 'o'));
    EXPECT_EQ(Ini.ReadSection("Keys").size(), 16u);
    EXPECT_EQ(Ini.ReadListing().Sections(), Names);
    EXPECT_EQ(Ini.ReadListing().Entries(0).size(), 16u);
    // A key beyond the listing can still be read.
    EXPECT_EQ(Ini.ReadInteger("Keys", std::string(1023, 'q'), 0), 1);
}

TEST_F(ProfileFileTest, WritesReplaceTheFirstMatchAndLeaveEveryOtherByteAlone)
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

TEST_F(ProfileFileTest, WritesKeepTheFileLineBreaksAndByteOrderMark)
{
    ProfileFile Windows = Holding("\xEF\xBB\xBF[Keyboard]\r\nChannel=5\r\n");
    Windows.WriteInteger("keyboard", "channel", 2);
    Windows.WriteInteger("Keyboard", "Octave", 3);
    Windows.WriteInteger("Mouse", "Octave", 4);
    EXPECT_EQ(Stored(), "\xEF\xBB\xBF[Keyboard]\r\nChannel=2\r\nOctave=3\r\n[Mouse]\r\nOctave=4\r\n");

    ProfileFile Unfinished = Holding("[Keyboard]\nChannel=5");
    Unfinished.WriteInteger("Keyboard", "Octave", 3);
    EXPECT_EQ(Stored(), "[Keyboard]\nChannel=5\nOctave=3\n");
    ProfileFile HeaderOnly = Holding("[Keyboard]");
    HeaderOnly.WriteInteger("Mouse", "Octave", 3);
    EXPECT_EQ(Stored(), "[Keyboard]\n[Mouse]\nOctave=3\n");

    ProfileFile Fresh(Folder / "New.ini");
    Fresh.WriteString("Keyboard", "Map", "Tracker");
    EXPECT_EQ(Folder.Read("New.ini"), "[Keyboard]\nMap=Tracker\n");
}

TEST_F(ProfileFileTest, AWriteOfTheStoredValueLeavesTheFileUntouchedAndLineBreaksCannotAddLines)
{
    ProfileFile Ini = Holding("[S]\nKey=5\n");
    const ino_t Before = InodeOf(Folder / "Test.ini");
    Ini.WriteInteger("S", "Key", 5);
    EXPECT_EQ(InodeOf(Folder / "Test.ini"), Before);
    Ini.WriteInteger("S", "Key", 6);
    EXPECT_NE(InodeOf(Folder / "Test.ini"), Before);

    Ini.WriteString("S", "Key", "Typing\n[Injected]\nKey=1");
    EXPECT_EQ(Stored(), "[S]\nKey=Typing\n");
}

TEST_F(ProfileFileTest, AFailedWriteLeavesTheOldFileWholeAndSaysWhichFile)
{
    const std::string Original = "[Keyboard]\nChannel=5\n";
    ProfileFile Ini = Holding(Original);
    try {
        const TFullDisk Full;
        Ini.WriteInteger("Keyboard", "Channel", 7);
        FAIL() << "the write did not fail";
    } catch (const EProfileWriteError& Error) {
        EXPECT_STREQ(Error.what(), ("Unable to write to " + (Folder / "Test.ini")).c_str());
    }
    EXPECT_EQ(Stored(), Original);
    // Nothing of the failed write is left in the folder.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Folder.Path()), std::filesystem::directory_iterator()),
              1);

    // A file where the settings folder should be, and a folder where the file should be.
    Folder.Write("NotAFolder", "x");
    ProfileFile InsideAFile(Folder / "NotAFolder/Setup.ini");
    EXPECT_THROW(InsideAFile.WriteInteger("Keyboard", "Channel", 7), EProfileWriteError);
    std::filesystem::create_directory(Folder / "AFolder.ini");
    ProfileFile AFolder(Folder / "AFolder.ini");
    EXPECT_THROW(AFolder.WriteInteger("Keyboard", "Channel", 7), EProfileWriteError);
    EXPECT_TRUE(std::filesystem::is_directory(Folder / "AFolder.ini"));
    EXPECT_EQ(AFolder.ReadInteger("Keyboard", "Channel", 3), 3);
}

TEST_F(ProfileFileTest, AWriteThroughALinkChangesTheLinkedFileAndKeepsTheLink)
{
    Folder.Write("Real.ini", "[S]\nKey=1\n");
    std::filesystem::create_symlink(Folder / "Real.ini", Folder / "Link.ini");
    ProfileFile Ini(Folder / "Link.ini");
    Ini.WriteInteger("S", "Key", 2);
    EXPECT_TRUE(std::filesystem::is_symlink(Folder / "Link.ini"));
    EXPECT_EQ(Folder.Read("Real.ini"), "[S]\nKey=2\n");
}

TEST_F(ProfileFileTest, GarbageOfEveryKindReadsAsDefaultsAndCanBeWrittenTo)
{
    std::mt19937 Random(7);
    std::string Binary(64 * 1024, '\0');
    for (char& Byte : Binary)
        Byte = static_cast<char>(Random());
    const std::string Garbage[] = {
        Binary,
        std::string("[S]\nK=a\0b\n\0\0\0[\0]\n=\n[\n]\n[]\n", 26),
        "[S]\nK=" + std::string(1024 * 1024, 'x'),
        std::string(10 * 1024 * 1024, '['),
        std::string(5 * 1024 * 1024, '\n') + "[S]\nK=1\n",
    };
    for (const std::string& Bytes : Garbage) {
        ProfileFile Ini = Holding(Bytes);
        EXPECT_EQ(Ini.ReadInteger("Keyboard", "Channel", 42), 42);
        Ini.ReadSections();
        Ini.ReadSection("S");
        Ini.ReadListing();
        Ini.WriteInteger("Keyboard", "Channel", 5);
        EXPECT_EQ(Ini.ReadInteger("Keyboard", "Channel", 42), 5);
    }
}

TEST_F(ProfileFileTest, OnlyFilesExistFoldersDoNot)
{
    Folder.Write("File.ini", "");
    EXPECT_TRUE(FileExists(Folder / "File.ini"));
    EXPECT_FALSE(FileExists(Folder / "Missing.ini"));
    EXPECT_FALSE(FileExists(Folder.Path()));
    EXPECT_FALSE(FileExists(""));
}
