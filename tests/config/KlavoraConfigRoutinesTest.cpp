#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>

#include "ErrorRecorder.h"
#include "FullDisk.h"
#include "TemporaryFolder.h"
#include "config/KlavoraConfigRoutines.h"
#include "config/MIDIKeymappingRoutines.h"
#include "config/MIDIPatchRoutines.h"
#include "support/ProgramFolderRoutines.h"

namespace {

constexpr const char* FreshSettings =
    "[Keyboard]\n"
    "Accent=0\n"
    "Soft=0\n"
    "Channel=1\n"
    "Group=0\n"
    "Voice=0\n"
    "Octave=4\n"
    "Fade=0\n"
    "Volume=103\n"
    "Map=Tracker\n"
    "Sustain=0\n"
    "[MIDI Out]\n"
    "DeviceID=0\n"
    "[Mouse]\n"
    "Octave=4\n"
    "[Config]\n"
    "Patch=GeneralMIDI.ini\n";

class KlavoraConfigTest : public ::testing::Test {
protected:
    void SetUp() override { Folder.CopyShipped("GeneralMIDI.ini"); }

    // Starts the store on a settings file that holds Bytes.
    void StartWith(const std::string& Bytes)
    {
        Folder.Write("Setup.ini", Bytes);
        KlavoraConfigStart();
    }

    void Restart()
    {
        KlavoraConfigStop();
        KlavoraConfigStart();
    }

    std::string Settings() const { return Folder.Read("Setup.ini"); }

    TErrorRecorder Errors;
    TTemporaryProgramFolder Folder;
};

}

TEST_F(KlavoraConfigTest, AFreshStartWritesEverySettingInOrderAndLoadsTheCatalogue)
{
    KlavoraConfigStart();
    EXPECT_EQ(Settings(), FreshSettings);
    ASSERT_TRUE(MIDIPatch.GroupNames);
    EXPECT_EQ(MIDIPatch.GroupNames->size(), 16u);
    EXPECT_TRUE(Errors.Messages.empty());

    Restart();
    EXPECT_EQ(Settings(), FreshSettings);
    KlavoraConfigStop();
    EXPECT_FALSE(MIDIPatch.GroupNames);
    EXPECT_FALSE(KeyboardConfig.Ini);
}

TEST_F(KlavoraConfigTest, TheNoteSettingsAreTheGettersValuesFromOneRead)
{
    KeyboardConfig.Ini = std::make_unique<ProfileFile>(Folder / "Setup.ini");
    const std::string Files[] = {
        "[Keyboard]\nChannel=99\nVolume=5\nFade=200\nAccent=2\nSoft=yes\nSustain=0x1\n[MIDI Out]\nDeviceID=-3\n",
        "[keyboard]\nchannel=0\nfade=-1\nsoft=1\n",
        "",
    };
    for (const std::string& File : Files) {
        Folder.Write("Setup.ini", File);
        const TNoteSettings Note = KeyboardConfig.GetNoteSettings();
        EXPECT_EQ(Note.Channel, KeyboardConfig.GetChannel()) << File;
        EXPECT_EQ(Note.Volume, KeyboardConfig.GetVolume()) << File;
        EXPECT_EQ(Note.Fade, KeyboardConfig.GetFade()) << File;
        EXPECT_EQ(Note.Accent, KeyboardConfig.GetAccent()) << File;
        EXPECT_EQ(Note.Soft, KeyboardConfig.GetSoft()) << File;
        EXPECT_EQ(Note.Sustain, KeyboardConfig.GetSustain()) << File;
        EXPECT_EQ(Note.DeviceID, KeyboardConfig.GetDeviceID()) << File;
    }
    const TNoteSettings First = (Folder.Write("Setup.ini", Files[0]), KeyboardConfig.GetNoteSettings());
    EXPECT_EQ(First.Channel, 16);
    EXPECT_EQ(First.Volume, MinVolume);
    EXPECT_EQ(First.Fade, 127);
    EXPECT_TRUE(First.Accent);
    EXPECT_FALSE(First.Soft);
    EXPECT_TRUE(First.Sustain);
    EXPECT_EQ(First.DeviceID, -3);
}

TEST_F(KlavoraConfigTest, RangedSettingsAreClampedWhenReadAndTheFileKeepsThemUntilWritten)
{
    const std::string Stored =
        "[Keyboard]\nChannel=99\nVolume=5\nOctave=-3\nFade=200\n[Mouse]\nOctave=12\n";
    Folder.Write("Setup.ini", Stored);
    KeyboardConfig.Ini = std::make_unique<ProfileFile>(Folder / "Setup.ini");
    EXPECT_EQ(KeyboardConfig.GetChannel(), 16);
    EXPECT_EQ(KeyboardConfig.GetVolume(), MinVolume);
    EXPECT_EQ(KeyboardConfig.GetOctave(), 0);
    EXPECT_EQ(KeyboardConfig.GetFade(), 127);
    EXPECT_EQ(KeyboardConfig.GetMouseOctave(), 7);
    EXPECT_EQ(Settings(), Stored);

    Folder.Write("Setup.ini", "[Keyboard]\nChannel=0\nOctave=12\nFade=-1\n[Mouse]\nOctave=-3\n");
    EXPECT_EQ(KeyboardConfig.GetChannel(), 1);
    EXPECT_EQ(KeyboardConfig.GetVolume(), MaxVolume) << "a missing Volume is 111, clamped";
    EXPECT_EQ(KeyboardConfig.GetOctave(), 7);
    EXPECT_EQ(KeyboardConfig.GetFade(), 0);
    EXPECT_EQ(KeyboardConfig.GetMouseOctave(), 0);

    Folder.Write("Setup.ini", "[Keyboard]\nChannel=0x0A\nVolume=$40\n");
    EXPECT_EQ(KeyboardConfig.GetChannel(), 10);
    EXPECT_EQ(KeyboardConfig.GetVolume(), 64);
}

TEST_F(KlavoraConfigTest, SettersClampBeforeTheyWrite)
{
    KlavoraConfigStart();
    KeyboardConfig.SetChannel(0);
    KeyboardConfig.SetVolume(200);
    KeyboardConfig.SetOctave(-1);
    KeyboardConfig.SetFade(128);
    KeyboardConfig.SetMouseOctave(9);
    const ProfileFile Raw(Folder / "Setup.ini");
    EXPECT_EQ(Raw.ReadString("Keyboard", "Channel", ""), "1");
    EXPECT_EQ(Raw.ReadString("Keyboard", "Volume", ""), "103");
    EXPECT_EQ(Raw.ReadString("Keyboard", "Octave", ""), "0");
    EXPECT_EQ(Raw.ReadString("Keyboard", "Fade", ""), "127");
    EXPECT_EQ(Raw.ReadString("Mouse", "Octave", ""), "7");

    KeyboardConfig.SetChannel(17);
    KeyboardConfig.SetVolume(1);
    EXPECT_EQ(Raw.ReadString("Keyboard", "Channel", ""), "16");
    EXPECT_EQ(Raw.ReadString("Keyboard", "Volume", ""), "23");
}

TEST_F(KlavoraConfigTest, BooleansReadAsIntegersAndAreRewrittenAsOneAtTheNextStart)
{
    StartWith("[Keyboard]\nAccent=yes\nSoft=2\nSustain=-1\n");
    EXPECT_FALSE(KeyboardConfig.GetAccent());
    EXPECT_TRUE(KeyboardConfig.GetSoft());
    EXPECT_TRUE(KeyboardConfig.GetSustain());
    const ProfileFile Raw(Folder / "Setup.ini");
    EXPECT_EQ(Raw.ReadString("Keyboard", "Accent", ""), "0");
    EXPECT_EQ(Raw.ReadString("Keyboard", "Soft", ""), "1");
    EXPECT_EQ(Raw.ReadString("Keyboard", "Sustain", ""), "1");

    KeyboardConfig.SetSustain(false);
    EXPECT_FALSE(KeyboardConfig.GetSustain());
}

TEST_F(KlavoraConfigTest, GroupVoiceAndDeviceHaveNoRange)
{
    StartWith("[Keyboard]\nGroup=-1\nVoice=500\n[MIDI Out]\nDeviceID=1000\n");
    EXPECT_EQ(KeyboardConfig.GetGroup(), -1);
    EXPECT_EQ(KeyboardConfig.GetVoice(), 500);
    EXPECT_EQ(KeyboardConfig.GetDeviceID(), 1000);
    KeyboardConfig.SetVoice(-1);
    EXPECT_EQ(KeyboardConfig.GetVoice(), -1);
}

TEST_F(KlavoraConfigTest, AnExternalEditIsSeenByTheNextGetter)
{
    KlavoraConfigStart();
    EXPECT_EQ(KeyboardConfig.GetChannel(), 1);
    ProfileFile Editor(Folder / "Setup.ini");
    Editor.WriteInteger("Keyboard", "Channel", 9);
    EXPECT_EQ(KeyboardConfig.GetChannel(), 9);
    KeyboardConfig.SetChannel(3);
    EXPECT_EQ(Editor.ReadInteger("Keyboard", "Channel", 0), 3);
}

TEST_F(KlavoraConfigTest, APatchOutsideTheProgramFolderOrMissingIsTheGeneralMIDICatalogue)
{
    std::filesystem::create_directory(Folder / "Sub");
    Folder.Write("Sub/Inner.ini", "[Inner]\n0=Inside a subfolder\n");
    std::filesystem::create_directory(Folder / "AFolder.ini");
    for (const std::string Outside :
         {"Missing.ini", "Sub/Inner.ini", "Sub\\Inner.ini", "../Setup.ini", "..", "/etc/hostname", "AFolder.ini", ""}) {
        StartWith("[Config]\nPatch=" + Outside + "\n");
        EXPECT_EQ(KeyboardConfig.GetPatch(), "GeneralMIDI.ini") << Outside;
        EXPECT_EQ(ProfileFile(Folder / "Setup.ini").ReadString("Config", "Patch", ""), "GeneralMIDI.ini") << Outside;
        ASSERT_TRUE(MIDIPatch.GroupNames) << Outside;
        EXPECT_EQ(MIDIPatch.GroupNames->front(), "Piano") << Outside;
        KeyboardConfig.SetPatch(Outside);
        EXPECT_EQ(ProfileFile(Folder / "Setup.ini").ReadString("Config", "Patch", ""), "GeneralMIDI.ini") << Outside;
        KlavoraConfigStop();
    }

    Folder.Write("Mine.ini", "[Mine]\n5=Own voice\n");
    StartWith("[Config]\nPatch=Mine.ini\n");
    EXPECT_EQ(KeyboardConfig.GetPatch(), "Mine.ini");
    EXPECT_EQ(*MIDIPatch.GroupNames, (TStringList{"Mine"}));
    EXPECT_TRUE(Errors.Messages.empty());
}

TEST_F(KlavoraConfigTest, WithoutAnyCatalogueTheStoreOpensWithAnEmptyOne)
{
    std::filesystem::remove(Folder / "GeneralMIDI.ini");
    StartWith("[Config]\nPatch=Missing.ini\n");
    EXPECT_EQ(KeyboardConfig.GetPatch(), "GeneralMIDI.ini");
    EXPECT_EQ(ProfileFile(Folder / "Setup.ini").ReadString("Config", "Patch", ""), "GeneralMIDI.ini");
    EXPECT_FALSE(MIDIPatch.GroupNames);
    EXPECT_TRUE(MIDIPatch.GroupPrograms.empty());
    EXPECT_TRUE(Errors.Messages.empty());
}

TEST_F(KlavoraConfigTest, AnUnwritableSettingsFileIsReportedOnceAndTheProgramGoesOn)
{
    Folder.Write("Setup.ini", "[Keyboard]\nChannel=99\nMap=Typing\n");
    // The disk is full, so no write can succeed.
    const TFullDisk Full;
    KlavoraConfigStart();
    EXPECT_EQ(Errors.Messages, (std::vector<std::string>{"Unable to write to " + (Folder / "Setup.ini")}));
    EXPECT_EQ(Settings(), "[Keyboard]\nChannel=99\nMap=Typing\n");
    EXPECT_EQ(KeyboardConfig.GetChannel(), 16);
    EXPECT_EQ(KeyboardConfig.GetMap(), "Typing");
    ASSERT_TRUE(MIDIPatch.GroupNames);
    EXPECT_EQ(MIDIPatch.GroupNames->size(), 16u);
    EXPECT_THROW(KeyboardConfig.SetChannel(2), EProfileWriteError);
    EXPECT_EQ(KeyboardConfig.GetChannel(), 16);
}

TEST_F(KlavoraConfigTest, AMissingProgramFolderGivesTheDefaultsAfterOneMessage)
{
    const std::string Gone = Folder / "Gone/";
    SetProgramFolder(Gone);
    KlavoraConfigStart();
    EXPECT_EQ(Errors.Messages, (std::vector<std::string>{"Unable to write to " + Gone + "Setup.ini"}));
    EXPECT_EQ(KeyboardConfig.GetVolume(), MaxVolume);
    EXPECT_EQ(KeyboardConfig.GetOctave(), 4);
    EXPECT_EQ(KeyboardConfig.GetMap(), "Tracker");
    EXPECT_FALSE(MIDIPatch.GroupNames);
}

TEST_F(KlavoraConfigTest, ASettingsFileOverOneMebibyteIsOneThatCannotBeRead)
{
    std::string Stored = FreshSettings;
    Stored.replace(Stored.find("Channel=1"), 9, "Channel=5");
    Stored.append(SettingsSizeLimit - Stored.size(), '\n');
    StartWith(Stored);
    EXPECT_EQ(KeyboardConfig.GetChannel(), 5) << "a file of exactly the limit is read";
    EXPECT_TRUE(Errors.Messages.empty());
    KlavoraConfigStop();

    StartWith(Stored + "\n");
    EXPECT_EQ(Errors.Messages, std::vector<std::string>{"Unable to write to " + (Folder / "Setup.ini")});
    EXPECT_EQ(KeyboardConfig.GetChannel(), 1);
    EXPECT_EQ(KeyboardConfig.GetNoteSettings().Channel, 1);
    EXPECT_EQ(KeyboardConfig.GetVolume(), MaxVolume);
    EXPECT_THROW(KeyboardConfig.SetChannel(3), EProfileWriteError);
    EXPECT_EQ(Settings(), Stored + "\n");
    ASSERT_TRUE(MIDIPatch.GroupNames);
    EXPECT_EQ(MIDIPatch.GroupNames->size(), 16u);
}

TEST_F(KlavoraConfigTest, AStartRemovesTheTemporaryFilesOfKilledWritesAndNothingElse)
{
    const std::string Stale = "Setup.ini.0123456789abcdef.tmp";
    const std::string Recent = "Setup.ini.fedcba9876543210.tmp";
    const std::string Others[] = {"Setup.ini.tmp", "Setup.ini.0123456789abcdeg.tmp", "Other.ini.0123456789abcdef.tmp",
                                  "Setup.ini.bak"};
    const auto TwoMinutesAgo = std::filesystem::file_time_type::clock::now() - std::chrono::minutes(2);
    for (const std::string& Name : {Stale, Recent, Others[0], Others[1], Others[2], Others[3]}) {
        Folder.Write(Name, "[Keyboard]\nChan");
        if (Name != Recent)
            std::filesystem::last_write_time(Folder / Name, TwoMinutesAgo);
    }
    KlavoraConfigStart();
    for (int Write = 0; Write < 50; ++Write)
        KeyboardConfig.SetChannel(1 + Write % 16);
    EXPECT_FALSE(std::filesystem::exists(Folder / Stale));
    // A write of another copy may still be under way: a recent file stays.
    EXPECT_TRUE(std::filesystem::exists(Folder / Recent));
    size_t Files = 0;
    for (const auto& Entry : std::filesystem::directory_iterator(Folder.Path()))
        Files += Entry.is_regular_file() ? 1 : 0;
    EXPECT_EQ(Files, 3u + std::size(Others)) << "Setup.ini, GeneralMIDI.ini, the recent file and the others";
}

namespace {

// Runs Work in a process of its own; the process, whose exit status is what Work returns.
pid_t InProcess(const std::function<int()>& Work)
{
    const pid_t Child = fork();
    if (Child == 0)
        _exit(Work());
    return Child;
}

int ExitStatus(pid_t Child)
{
    int Status = -1;
    waitpid(Child, &Status, 0);
    return WIFEXITED(Status) ? WEXITSTATUS(Status) : -1;
}

// The number of writes of Change(0), Change(1), ... that failed, up to 255
// (an exit status).
int FailedWrites(int Writes, const std::function<void(int)>& Change)
{
    int Failed = 0;
    for (int Write = 0; Write < Writes; ++Write) {
        try {
            Change(Write);
        } catch (const EProfileWriteError&) {
            ++Failed;
        }
    }
    return std::min(Failed, 255);
}

}

TEST_F(KlavoraConfigTest, TwoCopiesWritingAtOnceLoseNothingAndAReaderNeverSeesAPartialFile)
{
    KlavoraConfigStart();
    constexpr int Writes = 2000;
    int Stop[2];
    int Report[2];
    ASSERT_EQ(pipe(Stop), 0);
    ASSERT_EQ(pipe(Report), 0);
    // The reader reads until the stop pipe closes, then reports its reads and the partial ones.
    const pid_t Reader = InProcess([&] {
        close(Stop[1]);
        fcntl(Stop[0], F_SETFL, O_NONBLOCK);
        long Reads = 0;
        long Partial = 0;
        char Byte;
        while (read(Stop[0], &Byte, 1) < 0) {
            const TFileBytes Bytes(Folder / "Setup.ini", SettingsSizeLimit);
            const TProfileListing Listing(Bytes.View());
            size_t Keys = 0;
            for (size_t Section = 0; Section < Listing.Sections().size(); ++Section)
                Keys += Listing.Entries(Section).size();
            ++Reads;
            if (Bytes.Loaded() != TLoadResult::Loaded || Listing.Sections().size() != 4 || Keys != 13 ||
                Bytes.View().back() != '\n')
                ++Partial;
        }
        dprintf(Report[1], "%ld %ld", Reads, Partial);
        return 0;
    });
    const pid_t Channels = InProcess([&] {
        return FailedWrites(Writes, [](int Write) { KeyboardConfig.SetChannel(1 + Write % 16); });
    });
    const pid_t Volumes = InProcess([&] {
        return FailedWrites(Writes, [](int Write) { KeyboardConfig.SetVolume(MinVolume + Write % 81); });
    });
    EXPECT_EQ(ExitStatus(Channels), 0) << "writes of the channel failed";
    EXPECT_EQ(ExitStatus(Volumes), 0) << "writes of the volume failed";
    close(Stop[1]);
    close(Report[1]);
    EXPECT_EQ(ExitStatus(Reader), 0);
    long Reads = 0;
    long Partial = -1;
    FILE* Said = fdopen(Report[0], "r");
    ASSERT_NE(Said, nullptr);
    EXPECT_EQ(fscanf(Said, "%ld %ld", &Reads, &Partial), 2);
    fclose(Said);
    close(Stop[0]);
    EXPECT_GT(Reads, 0);
    EXPECT_EQ(Partial, 0) << "of " << Reads << " reads";
    // Each copy's last change is in the file: neither wrote over the other's.
    EXPECT_EQ(KeyboardConfig.GetChannel(), 1 + (Writes - 1) % 16);
    EXPECT_EQ(KeyboardConfig.GetVolume(), MinVolume + (Writes - 1) % 81);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Folder.Path()), std::filesystem::directory_iterator()),
              2) << "only Setup.ini and GeneralMIDI.ini";
}

TEST(InstalledSettings, LiveInTheUsersFolderAndTheCatalogueAndKeyMapComeFromEitherFolder)
{
    TErrorRecorder Errors;
    TTemporaryInstallation Installed;
    KlavoraConfigStart();
    MIDIKeymappingStart();
    EXPECT_EQ(Installed.Read("config/klavora/Setup.ini"), FreshSettings);
    EXPECT_FALSE(std::filesystem::exists(Installed.Bin() + "Setup.ini"));
    ASSERT_TRUE(MIDIPatch.GroupNames);
    EXPECT_EQ(MIDIPatch.GroupNames->front(), "Piano");
    EXPECT_EQ(MIDIKeymapping.FindNoteOffset('Z'), 0);
    MIDIKeymappingStop();
    KlavoraConfigStop();

    // The user's own catalogue and key map, and a second catalogue shipped with the program.
    Installed.Write("config/klavora/Mine.ini", "[Mine]\n5=Own voice\n");
    Installed.Write("share/klavora/Shipped.ini", "[Shipped]\n6=Other voice\n");
    Installed.Write("config/klavora/Keyboard.ini", "[Tracker]\n65=3\n");
    for (const auto& [Patch, Group] : {std::pair{"Mine.ini", "Mine"}, {"Shipped.ini", "Shipped"},
                                       {"../klavora/Mine.ini", "Piano"}, {"Missing.ini", "Piano"}}) {
        Installed.Write("config/klavora/Setup.ini", std::string("[Config]\nPatch=") + Patch + "\n");
        KlavoraConfigStart();
        ASSERT_TRUE(MIDIPatch.GroupNames) << Patch;
        EXPECT_EQ(MIDIPatch.GroupNames->front(), Group) << Patch;
        KlavoraConfigStop();
    }
    KlavoraConfigStart();
    MIDIKeymappingStart();
    EXPECT_EQ(MIDIKeymapping.FindNoteOffset('A'), 3);
    EXPECT_EQ(MIDIKeymapping.FindNoteOffset('Z'), -1);
    EXPECT_TRUE(Errors.Messages.empty());
}
