#include <gtest/gtest.h>

#include <filesystem>

#include "ErrorRecorder.h"
#include "TemporaryFolder.h"
#include "config/KlavoraConfigRoutines.h"
#include "config/MIDIKeymappingRoutines.h"

namespace {

constexpr const char* Corrupted = "Keyboard defenition file corrupted.";

class MIDIKeymappingTest : public ::testing::Test {
protected:
    // Loads the map from a keyboard definition file that holds Bytes.
    void LoadFrom(const std::string& Bytes, const std::string& MapName = "Tracker")
    {
        Folder.Write("Keyboard.ini", Bytes);
        MIDIKeymapping.LoadKeymap(Folder / "Keyboard.ini", MapName);
    }

    TErrorRecorder Errors;
    TTemporaryProgramFolder Folder;
};

}

TEST_F(MIDIKeymappingTest, TheShippedMapsPlayBothRowsAndTheTypingRow)
{
    Folder.CopyShipped("GeneralMIDI.ini");
    Folder.CopyShipped("Keyboard.ini");
    KlavoraConfigStart();
    MIDIKeymappingStart();
    EXPECT_EQ(MIDIKeymapping.FindNoteOffset('Z'), 0);
    EXPECT_EQ(MIDIKeymapping.FindNoteOffset(191), 16) << "/";
    EXPECT_EQ(MIDIKeymapping.FindNoteOffset('Q'), 12);
    EXPECT_EQ(MIDIKeymapping.FindNoteOffset('0'), 27);
    EXPECT_EQ(MIDIKeymapping.FindNoteOffset(221), 31) << "]";
    EXPECT_EQ(MIDIKeymapping.FindNoteOffset('A'), -1);
    EXPECT_EQ(MIDIKeymapping.KeyCodes.size(), 37u);

    MIDIKeymappingStop();
    EXPECT_TRUE(MIDIKeymapping.KeyCodes.empty());
    KeyboardConfig.SetMap("Typing");
    MIDIKeymappingStart();
    EXPECT_EQ(MIDIKeymapping.FindNoteOffset('A'), 0);
    EXPECT_EQ(MIDIKeymapping.FindNoteOffset(222), 17) << "'";
    EXPECT_EQ(MIDIKeymapping.FindNoteOffset('Z'), -1);
    EXPECT_TRUE(Errors.Messages.empty());
}

TEST_F(MIDIKeymappingTest, OnlyASectionOfExactlyTheMapNameIsLoaded)
{
    LoadFrom("[Tracker]\n90=0\n", "tracker");
    EXPECT_EQ(Errors.Messages, std::vector<std::string>{Corrupted});
    EXPECT_TRUE(MIDIKeymapping.KeyCodes.empty());
    for (uint16_t Code : {0, 90, 65535})
        EXPECT_EQ(MIDIKeymapping.FindNoteOffset(Code), -1) << Code;

    Errors.Messages.clear();
    LoadFrom("[Typing]\n65=0\n[Tracker]\n90=5\n");
    EXPECT_TRUE(Errors.Messages.empty());
    EXPECT_EQ(MIDIKeymapping.FindNoteOffset(90), 5);
    EXPECT_EQ(MIDIKeymapping.FindNoteOffset(65), -1);
}

TEST_F(MIDIKeymappingTest, EntriesWithoutAUsableOffsetOrCodeMapNothingAndTheLastDuplicateWins)
{
    LoadFrom(
        "[Tracker]\n"
        "65=-1\n"
        "66=abc\n"
        "67=\n"
        "68\n"
        "Z=3\n"
        "90=0\n"
        "090=12\n"
        "81=200\n"
        "70000=4\n"
        "-5=6\n"
        "87=0x0A\n");
    for (uint16_t Unmapped : {65, 66, 67, 68})
        EXPECT_EQ(MIDIKeymapping.FindNoteOffset(Unmapped), -1) << Unmapped;
    EXPECT_EQ(MIDIKeymapping.FindNoteOffset(90), 12);
    EXPECT_EQ(MIDIKeymapping.FindNoteOffset(81), 200);
    EXPECT_EQ(MIDIKeymapping.FindNoteOffset(87), 10);
    EXPECT_EQ(MIDIKeymapping.FindNoteOffset(static_cast<uint16_t>(70000)), -1);
    EXPECT_EQ(MIDIKeymapping.KeyCodes, (TArrayInteger{90, 90, 81, 70000, -5, 87}));
    EXPECT_EQ(MIDIKeymapping.NoteOffsets, (TArrayInteger{0, 12, 200, 4, 6, 10}));
    EXPECT_TRUE(Errors.Messages.empty());
}

TEST_F(MIDIKeymappingTest, AnUnusableFileLeavesAnEmptyMapAndSaysSoOnce)
{
    LoadFrom("[Tracker]\n90=0\n");
    const std::string Unusable[] = {"", "[Tracker]\n", "[Tracker]\n90=-1\nabc=1\n", std::string("\0\xFF[\n", 4)};
    for (const std::string& Bytes : Unusable) {
        Errors.Messages.clear();
        LoadFrom(Bytes);
        EXPECT_EQ(Errors.Messages, std::vector<std::string>{Corrupted});
        EXPECT_EQ(MIDIKeymapping.FindNoteOffset(90), -1) << "an earlier map survived";
    }
    Errors.Messages.clear();
    MIDIKeymapping.LoadKeymap(Folder / "Missing.ini", "Tracker");
    std::filesystem::create_directory(Folder / "AFolder.ini");
    MIDIKeymapping.LoadKeymap(Folder / "AFolder.ini", "Tracker");
    EXPECT_EQ(Errors.Messages, (std::vector<std::string>{Corrupted, Corrupted}));
}

TEST_F(MIDIKeymappingTest, AKeyMapLargerThanAnySettingsFileStillLoads)
{
    LoadFrom("[Tracker]\n90=7\n" + std::string(2 * SettingsSizeLimit, '\n'));
    EXPECT_EQ(MIDIKeymapping.FindNoteOffset(90), 7);
    EXPECT_TRUE(Errors.Messages.empty());
}
