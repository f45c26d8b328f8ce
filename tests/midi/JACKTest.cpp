#include <gtest/gtest.h>

#include <rtmidi/RtMidi.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <thread>

#include "ErrorRecorder.h"
#include "JACKReceiver.h"
#include "JACKServer.h"
#include "RecordingMIDIOutService.h"
#include "midi/LinuxMIDIOutService.h"
#include "midi/MIDIDevicesRoutines.h"
#include "midi/SoundFontRoutines.h"

namespace {

using namespace std::chrono_literals;
using TTexts = std::vector<std::string>;

// libjack crashes on closing a client whose server died: the test's receivers
// of such a server are left as they are, as the program leaves its own client.
std::vector<TReceiver*> ReceiversOfDeadServers;

class JACKTest : public testing::Test {
protected:
    void SetUp() override
    {
        if (!JACKServerInstalled())
            GTEST_SKIP() << "jackd is not installed, so JACK cannot be tested here";
        Server = std::make_unique<TJACKServer>();
        ASSERT_TRUE(Server->Runs()) << Server->Problem;
    }

    void TearDown() override { SetMIDIOutService(nullptr); }

    // The device list over the real service, and the position of Name in it.
    size_t ListDevicesAndFind(const std::string& Name)
    {
        Service.Enumerate("", ListSystemPorts());
        SetMIDIOutService(&Service);
        Devices.Enumerate();
        for (size_t Position = 0; Position < Devices.Items.size(); ++Position)
            if (Devices.Items[Position].Name == Name)
                return Position;
        ADD_FAILURE() << Name << " is not listed";
        return 0;
    }

    // The receiver's port, open and heard playing.
    TMIDIDevice& OpenAndPlay(TReceiver& Receiver)
    {
        TMIDIDevice& Device = Devices.Items[ListDevicesAndFind(Receiver.Name)];
        Device.Open(1, 5);
        Device.SendNoteOn(1, 60, 100);
        EXPECT_EQ(Receiver.Received(), (TTexts{"C0 05", "90 3C 64"}));
        return Device;
    }

    // Sends a note until one fails, as the failure may take a moment to be
    // noticed; then one more must fail the same way.
    void ExpectNotesToFail(TMIDIDevice& Device)
    {
        for (int Try = 0; Try < 100 && Errors.Messages.empty(); ++Try) {
            Device.SendNoteOn(1, 64, 103);
            std::this_thread::sleep_for(20ms);
        }
        ASSERT_FALSE(Errors.Messages.empty()) << "every note was reported as played";
        EXPECT_EQ(Errors.Messages.front(), "The specified device handle is invalid.");
        Errors.Messages.clear();
        Device.SendNoteOn(1, 64, 103);
        EXPECT_EQ(Errors.Messages, TTexts{"The specified device handle is invalid."});
        Errors.Messages.clear();
    }

    // The port closes at once and opening it again answers 2.
    void ExpectReopenToFindNothing(TMIDIDevice& Device)
    {
        Device.Close();
        EXPECT_EQ(Device.Handle, 0u);
        Device.Open(1, 5);
        EXPECT_EQ(Device.Handle, 0u);
        EXPECT_EQ(Errors.Messages, TTexts{"The specified device identifier is out of range."});
        Errors.Messages.clear();
    }

    // A receiver of the same name is back: the port opens again and plays.
    void ExpectReopenToPlay(TMIDIDevice& Device)
    {
        TReceiver Back("Receiver", "in");
        Device.Open(1, 5);
        Device.SendNoteOn(1, 60, 100);
        EXPECT_EQ(Back.Received(), (TTexts{"C0 05", "90 3C 64"}));
        Device.Close();
        EXPECT_TRUE(Errors.Messages.empty()) << testing::PrintToString(Errors.Messages);
    }

    std::unique_ptr<TJACKServer> Server;
    TLinuxMIDIOutService Service;
    TMIDIDevices Devices;
    TErrorRecorder Errors;
};

}

TEST_F(JACKTest, TheInputPortsOfOtherProgramsAreListedButNotTheProgramsOwn)
{
    TReceiver Other("Receiver", "in");
    TReceiver Own(SystemClientName, "in");
    const std::vector<TSystemPortName> Ports = ListSystemPorts();
    TTexts JACKNames;
    for (const TSystemPortName& Port : Ports)
        if (Port.API == TSystemMIDIAPI::JACK)
            JACKNames.push_back(Port.Name);
    EXPECT_NE(std::find(JACKNames.begin(), JACKNames.end(), "Receiver:in"), JACKNames.end());
    for (const std::string& Name : JACKNames)
        EXPECT_NE(Name.rfind(SystemClientName, 0), 0u) << Name;
    EXPECT_GT(ListDevicesAndFind("Receiver:in"), 0u);
}

TEST_F(JACKTest, APortTakesOneOpenAndReceivesExactlyTheBytesSentInOrderAndResetLosesNothing)
{
    TReceiver Receiver("Receiver", "in");
    TMIDIDevice& Device = Devices.Items[ListDevicesAndFind(Receiver.Name)];
    Device.Open(1, 5);
    TMIDIDevice Again = Device;
    Again.Handle = 0;
    Again.Open(1, 5);
    EXPECT_EQ(Errors.Messages, TTexts{"The specified resource is already allocated."});
    Errors.Messages.clear();
    Device.SendNoteOn(1, 60, 100);
    Device.SendNoteOff(16, 60, 0);
    Device.SendShortMessage(0x004000E0);
    EXPECT_EQ(Receiver.Received(), (TTexts{"C0 05", "90 3C 64", "8F 3C 00", "E0 00 40"}));

    // What Reset does: All Notes Off on every channel, then close and reopen,
    // which sends the program again.
    TTexts Expected;
    const int Rounds = 10;
    for (int Round = 0; Round < Rounds; ++Round) {
        Device.SendAllNotesOff();
        Device.Close();
        Device.Open(1, 5);
        for (int Channel = 1; Channel <= 16; ++Channel)
            Expected.push_back(ShortMessageText(AllNotesOffMessage(Channel)));
        Expected.push_back("C0 05");
    }
    EXPECT_EQ(Receiver.Received(), Expected);
    Device.Close();
    EXPECT_TRUE(Errors.Messages.empty());
}

TEST_F(JACKTest, OpeningAPortThatHasGoneAnswersTwo)
{
    auto Receiver = std::make_unique<TReceiver>("Receiver", "in");
    TMIDIDevice& Device = Devices.Items[ListDevicesAndFind(Receiver->Name)];
    Receiver.reset();
    Device.Open(1, 0);
    EXPECT_EQ(Device.Handle, 0u);
    EXPECT_EQ(Errors.Messages, TTexts{"The specified device identifier is out of range."});
}

TEST_F(JACKTest, TheSynthesizerStartsItsAudioOnTheFirstDriverThatWorks)
{
    const std::string SoundFont = FindSoundFont("/nonexistent/");
    Service.Enumerate(SoundFont, {});
    HMIDIOUT Handle = 0;
    ASSERT_EQ(Service.Open(Handle, MIDI_MAPPER), MMSYSERR_NOERROR);
    TSynthesizerPort* Synthesizer = Service.Synthesizer(Handle);
    EXPECT_NE(std::find(SynthesizerAudioDrivers.begin(), SynthesizerAudioDrivers.end(), Synthesizer->AudioDriver()),
              SynthesizerAudioDrivers.end());
    EXPECT_EQ(Service.ShortMsg(Handle, NoteOnMessage(1, 60, 100)), MMSYSERR_NOERROR);
    EXPECT_TRUE(Synthesizer->WaitUntilLoaded());
    EXPECT_EQ(Service.ShortMsg(Handle, NoteOffMessage(1, 60, 0)), MMSYSERR_NOERROR);
    EXPECT_EQ(Service.Close(Handle), MMSYSERR_NOERROR);
}

TEST_F(JACKTest, OnceItsReceiverHasGoneAPortFailsEverySendUntilReopenedOnTheReceiverBack)
{
    auto Receiver = std::make_unique<TReceiver>("Receiver", "in");
    TMIDIDevice& Device = OpenAndPlay(*Receiver);
    Receiver.reset();
    ExpectNotesToFail(Device);
    ExpectReopenToFindNothing(Device);
    ExpectReopenToPlay(Device);
}

TEST_F(JACKTest, OnceTheServerDiesAPortFailsItsSendsAndOpensAnswerTwoUntilTheServerIsBack)
{
    auto Receiver = std::make_unique<TReceiver>("Receiver", "in");
    TMIDIDevice& Device = OpenAndPlay(*Receiver);
    if (!Server->Kill())
        GTEST_SKIP() << "the JACK server is not the test's own to stop";
    ReceiversOfDeadServers.push_back(Receiver.release());
    ExpectNotesToFail(Device);
    ExpectReopenToFindNothing(Device);

    Server->Start();
    ASSERT_TRUE(Server->Runs()) << Server->Problem;
    ExpectReopenToPlay(Device);
    // The stop after all that closes every port without a word.
    Devices.Clear();
    Service.Clear();
    EXPECT_TRUE(Errors.Messages.empty()) << testing::PrintToString(Errors.Messages);
}
