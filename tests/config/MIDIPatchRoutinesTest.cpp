#include <gtest/gtest.h>

#include <filesystem>

#include "TemporaryFolder.h"
#include "config/MIDIPatchRoutines.h"

namespace {

class MIDIPatchTest : public ::testing::Test {
protected:
    // Loads the catalogue from a file that holds Bytes.
    bool LoadFrom(const std::string& Bytes)
    {
        Folder.Write("Patch.ini", Bytes);
        return MIDIPatch.LoadPatch(Folder / "Patch.ini");
    }

    TTemporaryProgramFolder Folder;
};

}

TEST_F(MIDIPatchTest, TheShippedCatalogueHoldsTheGeneralMIDIProgramsInSixteenGroups)
{
    Folder.CopyShipped("GeneralMIDI.ini");
    ASSERT_TRUE(MIDIPatch.LoadPatch(Folder / "GeneralMIDI.ini"));
    EXPECT_EQ(*MIDIPatch.GroupNames,
              (TStringList{"Piano", "Chromatic Percussion", "Organ", "Guitar", "Bass", "Strings", "Ensemble", "Brass",
                           "Reed", "Pipe", "Synth Lead", "Synth Pad", "Synth Effects", "Ethnic", "Percussive",
                           "Sound Effects"}));
    ASSERT_EQ(MIDIPatch.VoiceNames->size(), 128u);
    for (int32_t Program = 0; Program < 128; ++Program) {
        EXPECT_EQ(MIDIPatch.ProgramOf(Program / 8, Program % 8), Program);
        EXPECT_FALSE(MIDIPatch.VoiceName(Program).empty()) << Program;
    }
    EXPECT_EQ(MIDIPatch.VoiceName(0), "Acoustic Grand Piano");
    EXPECT_EQ(MIDIPatch.VoiceName(127), "Gunshot");
}

TEST_F(MIDIPatchTest, KeysAreProgramNumbersAndNamesBelongToTheProgram)
{
    ASSERT_TRUE(LoadFrom(
        "[First]\n"
        "0=Zero\n"
        "007=Seven\n"
        "128=Too high\n"
        "-1=Negative\n"
        "1000=Far too high\n"
        "abc=Not a number\n"
        "20=Shared first\n"
        "[Empty]\n"
        "[Second]\n"
        "20=Shared second\n"
        "30=\n"
        "31\n"));
    EXPECT_EQ(*MIDIPatch.GroupNames, (TStringList{"First", "Empty", "Second"}));
    EXPECT_EQ(MIDIPatch.GroupPrograms, (std::vector<std::string>{std::string("\0\x07\x14", 3), "", "\x14\x1E\x1F"}));
    EXPECT_EQ(MIDIPatch.VoiceNames->size(), 32u);
    EXPECT_EQ(MIDIPatch.GroupVoiceNames(0), (TStringList{"Zero", "Seven", "Shared second"}));
    EXPECT_EQ(MIDIPatch.GroupVoiceNames(2), (TStringList{"Shared second", "", "Patch: 31"}));
    EXPECT_EQ(MIDIPatch.GroupVoiceNames(1), TStringList{});
    EXPECT_EQ(MIDIPatch.GroupVoiceNames(3), TStringList{});
    EXPECT_EQ(MIDIPatch.GroupVoiceNames(-1), TStringList{});
    EXPECT_EQ(MIDIPatch.VoiceName(5), "") << "below the highest program, never named";
    EXPECT_EQ(MIDIPatch.VoiceName(130), "Untitled: 130");
    EXPECT_EQ(MIDIPatch.VoiceName(-1), "Untitled: -1");
}

TEST_F(MIDIPatchTest, PositionsOutsideTheCatalogueGiveProgramZero)
{
    ASSERT_TRUE(LoadFrom("[A]\n10=a\n11=b\n12=c\n"));
    EXPECT_EQ(MIDIPatch.ProgramOf(0, 2), 12);
    EXPECT_EQ(MIDIPatch.ProgramOf(0, 3), 0);
    EXPECT_EQ(MIDIPatch.ProgramOf(0, -1), 0);
    EXPECT_EQ(MIDIPatch.ProgramOf(-1, 0), 0);
    EXPECT_EQ(MIDIPatch.ProgramOf(1, 0), 0);
}

TEST_F(MIDIPatchTest, ASecondLoadReplacesEverythingAndAMissingFileLeavesNothing)
{
    ASSERT_TRUE(LoadFrom("[Old]\n100=Old voice\n"));
    ASSERT_TRUE(LoadFrom("[New]\n1=New voice\n"));
    EXPECT_EQ(*MIDIPatch.GroupNames, TStringList{"New"});
    EXPECT_EQ(*MIDIPatch.VoiceNames, (TStringList{"", "New voice"}));
    EXPECT_EQ(MIDIPatch.VoiceName(100), "Untitled: 100");

    EXPECT_TRUE(LoadFrom("no sections at all\n"));
    EXPECT_TRUE(MIDIPatch.GroupNames->empty());
    EXPECT_TRUE(MIDIPatch.GroupPrograms.empty());

    EXPECT_FALSE(MIDIPatch.LoadPatch(Folder / "Missing.ini"));
    std::filesystem::create_directory(Folder / "AFolder.ini");
    EXPECT_FALSE(MIDIPatch.LoadPatch(Folder / "AFolder.ini"));
    EXPECT_FALSE(MIDIPatch.GroupNames);
    EXPECT_FALSE(MIDIPatch.VoiceNames);
    EXPECT_FALSE(MIDIPatch.Ini);
    EXPECT_EQ(MIDIPatch.ProgramOf(0, 0), 0);
    EXPECT_EQ(MIDIPatch.VoiceName(0), "Untitled: 0");
}
