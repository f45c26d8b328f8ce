#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <thread>
#include <utility>

#include "ErrorRecorder.h"
#include "TemporaryFolder.h"
#include "core/MIDIMessageRoutines.h"
#include "midi/LinuxMIDIOutService.h"
#include "midi/MIDIDevicesRoutines.h"
#include "midi/SoundFontRoutines.h"
#include "support/ProgramFolderRoutines.h"

namespace {

using TTexts = std::vector<std::string>;

// System ports that no system has: opening one answers 2 with or without a
// JACK server or an ALSA sequencer.
const std::vector<TSystemPortName> AbsentPorts = {
    {TSystemMIDIAPI::JACK, "Absent:in"},
    {TSystemMIDIAPI::ALSA, "Absent Synth:Absent Synth Port 1 130:0"},
};

std::string CapsName(TLinuxMIDIOutService& Service, uint32_t DeviceID)
{
    TMIDIOutCaps Caps;
    EXPECT_EQ(Service.GetDevCaps(DeviceID, Caps), MMSYSERR_NOERROR);
    return std::string(Caps.szPname, strnlen(Caps.szPname, sizeof Caps.szPname));
}

// The built-in synthesizer without audio, so that it opens on any machine.
class LinuxMIDIOutServiceTest : public testing::Test {
protected:
    void SetUp() override { Service.AudioDrivers.clear(); }

    TLinuxMIDIOutService Service;
    TErrorRecorder Errors;
    const std::string SoundFont = FindSoundFont("/nonexistent/");
};

}

TEST_F(LinuxMIDIOutServiceTest, TheDeviceListShowsTheSynthesizerFirstThenTheSystemPorts)
{
    Service.Enumerate(SoundFont, AbsentPorts);
    SetMIDIOutService(&Service);
    TMIDIDevices Devices;
    Devices.Enumerate();
    SetMIDIOutService(nullptr);

    TTexts Names;
    for (const TMIDIDevice& Device : Devices.Items)
        Names.push_back(Device.Name + " " + std::to_string(Device.ID));
    EXPECT_EQ(Names, (TTexts{"Windows MIDI Mapper -1", "Klavora Synthesizer 0", "Absent:in 1",
                             "Absent Synth:Absent Synth Port 1 2"}));
    EXPECT_TRUE(Errors.Messages.empty());
}

TEST_F(LinuxMIDIOutServiceTest, NamesAreCutToThirtyTwoBytesWithoutSplittingACharacter)
{
    const std::string Long = "client:a port name of forty bytes, long";
    // "\xC3\xBC" is one character: as bytes 31 and 32 it stays, as 32 and 33 it goes.
    const std::string Fits = "client:" + std::string(23, 'a') + "\xC3\xBC and more";
    const std::string Straddles = "client:" + std::string(24, 'a') + "\xC3\xBC and more";
    Service.Enumerate("", {{TSystemMIDIAPI::JACK, Long}, {TSystemMIDIAPI::JACK, Fits}, {TSystemMIDIAPI::JACK, Straddles}});
    EXPECT_EQ(CapsName(Service, 0), Long.substr(0, 32));
    EXPECT_EQ(CapsName(Service, 1), Fits.substr(0, 32));
    EXPECT_EQ(CapsName(Service, 2), Straddles.substr(0, 31));
    TMIDIOutCaps Caps;
    EXPECT_EQ(Service.GetDevCaps(3, Caps), MMSYSERR_BADDEVICEID);
}

TEST_F(LinuxMIDIOutServiceTest, PortsListedAgainKeepTheSynthesizerFirstAndKnowAnALSAPortPluggedInAgain)
{
    Service.Enumerate(SoundFont, AbsentPorts);
    HMIDIOUT Synthesizer = 0;
    ASSERT_EQ(Service.Open(Synthesizer, 0), MMSYSERR_NOERROR);
    Service.UpdatePorts({{TSystemMIDIAPI::ALSA, "USB Keys:USB Keys MIDI 1 28:0"}, {TSystemMIDIAPI::JACK, "Absent:in"}});
    EXPECT_EQ(Service.GetNumDevs(), 3u);
    EXPECT_EQ(CapsName(Service, 0), "Klavora Synthesizer");
    EXPECT_EQ(CapsName(Service, 1), "USB Keys:USB Keys MIDI 1 28:0");
    EXPECT_EQ(Service.ShortMsg(Synthesizer, NoteOnMessage(1, 60, 1)), MMSYSERR_NOERROR);
    // Only an ALSA port's numbers may change.
    EXPECT_TRUE(Service.IsSameDevice("USB Keys:USB Keys MIDI 1 24:0", "USB Keys:USB Keys MIDI 1 28:0"));
    EXPECT_FALSE(Service.IsSameDevice("USB Keys:USB Keys MIDI 2 24:0", "USB Keys:USB Keys MIDI 1 28:0"));
    EXPECT_FALSE(Service.IsSameDevice("Absent:in 24:0", "Absent:in"));
    EXPECT_EQ(Service.Close(Synthesizer), MMSYSERR_NOERROR);
}

TEST_F(LinuxMIDIOutServiceTest, TheMapperOpensTheSynthesizerElseTheFirstSystemPortElseNothing)
{
    HMIDIOUT Handle = 0;
    Service.Enumerate("", {});
    EXPECT_EQ(Service.GetNumDevs(), 0u);
    EXPECT_EQ(Service.Open(Handle, MIDI_MAPPER), MIDIERR_NODEVICE);

    // The absent port is the one the mapper tries.
    Service.Enumerate("", AbsentPorts);
    EXPECT_EQ(Service.Open(Handle, MIDI_MAPPER), MMSYSERR_BADDEVICEID);
    EXPECT_EQ(Handle, 0u);

    Service.Enumerate(SoundFont, AbsentPorts);
    ASSERT_EQ(Service.Open(Handle, MIDI_MAPPER), MMSYSERR_NOERROR);
    EXPECT_NE(Service.Synthesizer(Handle), nullptr);
    EXPECT_EQ(Service.Close(Handle), MMSYSERR_NOERROR);
}

TEST_F(LinuxMIDIOutServiceTest, OnlyOpenHandlesAndKnownIdentifiersAreServed)
{
    Service.Enumerate(SoundFont, {});
    HMIDIOUT Handle = 0;
    EXPECT_EQ(Service.Open(Handle, 1), MMSYSERR_BADDEVICEID);
    EXPECT_EQ(Service.Open(Handle, -2), MMSYSERR_BADDEVICEID);
    EXPECT_EQ(Service.ShortMsg(0, NoteOnMessage(1, 60, 1)), MMSYSERR_INVALHANDLE);

    HMIDIOUT First = 0;
    HMIDIOUT Second = 0;
    ASSERT_EQ(Service.Open(First, 0), MMSYSERR_NOERROR);
    ASSERT_EQ(Service.Open(Second, MIDI_MAPPER), MMSYSERR_NOERROR);
    EXPECT_NE(First, Second);
    EXPECT_EQ(Service.ShortMsg(First + Second, NoteOnMessage(1, 60, 1)), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(Service.Close(First), MMSYSERR_NOERROR);

    // A closed handle stays invalid, also after the next open.
    EXPECT_EQ(Service.ShortMsg(First, NoteOnMessage(1, 60, 1)), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(Service.Close(First), MMSYSERR_INVALHANDLE);
    ASSERT_EQ(Service.Open(Handle, 0), MMSYSERR_NOERROR);
    EXPECT_NE(Handle, First);
    EXPECT_EQ(Service.ShortMsg(First, NoteOnMessage(1, 60, 1)), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(Service.ShortMsg(Second, NoteOnMessage(1, 60, 1)), MMSYSERR_NOERROR);
}

TEST_F(LinuxMIDIOutServiceTest, AMessageWithoutAStatusByteIsRefused)
{
    Service.Enumerate(SoundFont, {});
    SetMIDIOutService(&Service);
    TMIDIDevice Device{0, SynthesizerName, 0};
    Device.Open(1, 0);
    Device.SendShortMessage(0x00643C);
    Device.SendShortMessage(0x0000F0);
    Device.Close();
    SetMIDIOutService(nullptr);
    EXPECT_EQ(Errors.Messages, (TTexts{"The application sent a message without a status byte to a stream handle.",
                                       "Undefined midiOutShortMsg error."}));
}

TEST_F(LinuxMIDIOutServiceTest, StartInstallsTheServiceWithTheSoundFontBesideTheProgramAndStopRemovesIt)
{
    TTemporaryProgramFolder Folder;
    std::filesystem::create_symlink(SoundFont, Folder / "My Piano.sf2");
    LinuxMIDIOutServiceStart();
    EXPECT_EQ(&MIDIOutService(), &LinuxMIDIOutService);
    ASSERT_GE(LinuxMIDIOutService.GetNumDevs(), 1u);
    EXPECT_EQ(CapsName(LinuxMIDIOutService, 0), SynthesizerName);

    LinuxMIDIOutService.AudioDrivers.clear();
    HMIDIOUT Handle = 0;
    ASSERT_EQ(LinuxMIDIOutService.Open(Handle, MIDI_MAPPER), MMSYSERR_NOERROR);
    LinuxMIDIOutServiceStop();
    EXPECT_NE(&MIDIOutService(), &LinuxMIDIOutService);
    EXPECT_EQ(LinuxMIDIOutService.GetNumDevs(), 0u);
    EXPECT_EQ(LinuxMIDIOutService.Close(Handle), MMSYSERR_INVALHANDLE);
    LinuxMIDIOutService.AudioDrivers = SynthesizerAudioDrivers;
}

TEST_F(LinuxMIDIOutServiceTest, AStartedSynthesizerServesTheFirstOpenOfItsSoundFontOnly)
{
    ASSERT_FALSE(SoundFont.empty());
    std::jthread Start(Service.SynthesizerStart(SoundFont));
    Service.Enumerate(SoundFont, AbsentPorts);
    HMIDIOUT Handle = 0;
    ASSERT_EQ(Service.Open(Handle, MIDI_MAPPER), MMSYSERR_NOERROR);
    TSynthesizerPort* Started = Service.Synthesizer(Handle);
    ASSERT_NE(Started, nullptr);
    EXPECT_TRUE(Started->WaitUntilLoaded());
    EXPECT_EQ(Service.ShortMsg(Handle, NoteOnMessage(1, 60, 100)), MMSYSERR_NOERROR);
    EXPECT_EQ(Service.Close(Handle), MMSYSERR_NOERROR);

    // A first open of another device stops it; the synthesizer then starts afresh.
    std::jthread Again(Service.SynthesizerStart(SoundFont));
    EXPECT_EQ(Service.Open(Handle, 1), MMSYSERR_BADDEVICEID);
    ASSERT_EQ(Service.Open(Handle, 0), MMSYSERR_NOERROR);
    EXPECT_NE(Service.Synthesizer(Handle), nullptr);
    EXPECT_EQ(Service.Close(Handle), MMSYSERR_NOERROR);
}

TEST_F(LinuxMIDIOutServiceTest, AStartedSynthesizerThatFailedAnswersTheFirstOpenWithItsCode)
{
    TTemporaryFolder Folder;
    Folder.Write("Broken.sf2", "not a SoundFont");
    std::jthread Start(Service.SynthesizerStart(Folder / "Broken.sf2"));
    Service.Enumerate(Folder / "Broken.sf2", {});
    HMIDIOUT Handle = 0;
    EXPECT_EQ(Service.Open(Handle, MIDI_MAPPER), MMSYSERR_INVALPARAM);
    EXPECT_EQ(Handle, 0u);
    std::jthread Again(Service.SynthesizerStart(SoundFont));
    Service.Clear();
}

TEST_F(LinuxMIDIOutServiceTest, AStartDroppedUnrunLeavesTheFirstOpenToStartTheSynthesizer)
{
    ASSERT_FALSE(SoundFont.empty());
    Service.SynthesizerStart(SoundFont);
    Service.Enumerate(SoundFont, {});
    HMIDIOUT Handle = 0;
    ASSERT_EQ(Service.Open(Handle, MIDI_MAPPER), MMSYSERR_NOERROR);
    EXPECT_NE(Service.Synthesizer(Handle), nullptr);
    EXPECT_EQ(Service.Close(Handle), MMSYSERR_NOERROR);
}

// An early start plays through audio that never opens, the open that follows
// renders only: what the mapper's open answers tells which synthesizer it got.
TEST_F(LinuxMIDIOutServiceTest, TheSynthesizerStartsEarlyOnlyWhenTheStoredPositionOpensIt)
{
    ASSERT_FALSE(SoundFont.empty());
    TTemporaryProgramFolder Folder;
    std::vector<std::pair<int32_t, uint32_t>> Answers;
    for (int32_t Position : {-1, 0, 1, 2, 7}) {
        LinuxMIDIOutService.AudioDrivers = {"absent"};
        LinuxMIDIOutServicePrepare(Position, "");
        LinuxMIDIOutService.AudioDrivers.clear();
        LinuxMIDIOutServiceStart();
        HMIDIOUT Handle = 0;
        Answers.emplace_back(Position, LinuxMIDIOutService.Open(Handle, MIDI_MAPPER));
        LinuxMIDIOutServiceStop();
    }
    LinuxMIDIOutService.AudioDrivers = SynthesizerAudioDrivers;
    EXPECT_EQ(Answers, (std::vector<std::pair<int32_t, uint32_t>>{{-1, MIDIERR_NODEVICE},
                                                                  {0, MIDIERR_NODEVICE},
                                                                  {1, MIDIERR_NODEVICE},
                                                                  {2, MMSYSERR_NOERROR},
                                                                  {7, MMSYSERR_NOERROR}}));
}
