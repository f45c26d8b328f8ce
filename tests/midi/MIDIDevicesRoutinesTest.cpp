#include <gtest/gtest.h>

#include "ErrorRecorder.h"
#include "RecordingMIDIOutService.h"
#include "midi/MIDIDevicesRoutines.h"

namespace {

using TCallKind = TRecordingMIDIOutService::TCallKind;
using TTexts = std::vector<std::string>;

class MIDIDeviceTest : public testing::Test {
protected:
    TRecordingMIDIOutService Service;
    TErrorRecorder Errors;

    TMIDIDevice OpenedDevice(int32_t ID = MIDI_MAPPER)
    {
        TMIDIDevice Device{0, "Port", ID};
        Device.Open(1, 0);
        Service.ClearRecords();
        return Device;
    }
};

}

TEST_F(MIDIDeviceTest, OpenSendsExactlyOneClampedProgramChange)
{
    Service.DeviceNames = {"Synth"};
    TMIDIDevice Device{0, "Synth", 0};
    Device.Open(10, 0);
    EXPECT_NE(Device.Handle, 0u);
    EXPECT_EQ(Service.SentTexts(), (TTexts{"C9 00"}));

    TMIDIDevice Mapper{0, MapperName, MIDI_MAPPER};
    Mapper.Open(0, 200);
    EXPECT_EQ(Service.SentTo(MIDI_MAPPER), (std::vector<uint32_t>{0x7FC0}));
    EXPECT_TRUE(Errors.Messages.empty());
}

TEST_F(MIDIDeviceTest, EachOpenFailureShowsItsTextAndSendsNothing)
{
    const std::vector<std::pair<uint32_t, std::string>> Cases = {
        {2, "The specified device identifier is out of range."},
        {4, "The specified resource is already allocated."},
        {7, "The system is unable to allocate or lock memory."},
        {11, "The specified pointer or structure is invalid."},
        {68, "No MIDI port was found. This error occurs only when the mapper is opened."},
        {1, "Open Function. Undefined MIDI Error."},
        {99, "Open Function. Undefined MIDI Error."},
    };
    for (const auto& [Code, Text] : Cases) {
        Errors.Messages.clear();
        Service.OpenResults = {Code};
        TMIDIDevice Device{0, "Port", MIDI_MAPPER};
        Device.Open(1, 5);
        EXPECT_EQ(Device.Handle, 0u) << Code;
        EXPECT_EQ(Errors.Messages, TTexts{Text}) << Code;
    }
    EXPECT_TRUE(Service.CallsOf(TCallKind::ShortMsg).empty());
}

TEST_F(MIDIDeviceTest, SendsOnAClosedPortShowTheirTextWithoutCallingTheService)
{
    TMIDIDevice Device{0, "Port", MIDI_MAPPER};
    Device.SendNoteOn(1, 60, 100);
    Device.SendNoteOff(1, 60, 0);
    Device.SendProgramChange(1, 3);
    EXPECT_EQ(Errors.Messages, TTexts(3, "Device is not opended."));
    Errors.Messages.clear();
    Device.SendAllNotesOff();
    Device.Close();
    EXPECT_TRUE(Errors.Messages.empty());
    EXPECT_TRUE(Service.Calls.empty());
}

TEST_F(MIDIDeviceTest, EachSendFailureShowsItsTextAndThePortStaysOpen)
{
    TMIDIDevice Device = OpenedDevice();
    const std::vector<std::pair<uint32_t, std::string>> Cases = {
        {5, "The specified device handle is invalid."},
        {67, "The hardware is busy with other data."},
        {70, "The application sent a message without a status byte to a stream handle."},
        {7, "Undefined midiOutShortMsg error."},
    };
    for (const auto& [Code, Text] : Cases) {
        Errors.Messages.clear();
        Service.ShortMsgResults = {Code};
        Device.SendNoteOn(1, 60, 100);
        EXPECT_EQ(Errors.Messages, TTexts{Text}) << Code;
        EXPECT_NE(Device.Handle, 0u);
    }
    Device.SendNoteOff(2, 61, 3);
    EXPECT_EQ(Service.SentTexts(), (TTexts{"81 3D 03"}));
}

TEST_F(MIDIDeviceTest, AFailedCloseShowsItsTextAndKeepsTheHandleForALaterTry)
{
    const std::vector<std::pair<uint32_t, std::string>> Cases = {
        {5, "The specified device handle is invalid."},
        {7, "The system is unable to load mapper string description."},
        {65, "Buffers are still in the queue."},
        {3, "Close Function. Undefined MIDI Error."},
    };
    for (const auto& [Code, Text] : Cases) {
        TMIDIDevice Device = OpenedDevice();
        const HMIDIOUT Handle = Device.Handle;
        Errors.Messages.clear();
        Service.CloseResults = {Code};
        Device.Close();
        EXPECT_EQ(Device.Handle, Handle) << Code;
        EXPECT_EQ(Errors.Messages, TTexts{Text}) << Code;
        Device.Close();
        EXPECT_EQ(Device.Handle, 0u) << Code;
    }
    EXPECT_TRUE(Service.OpenDevices().empty());
}

TEST_F(MIDIDeviceTest, AllNotesOffGoesToChannelsOneToSixteenInOrder)
{
    TMIDIDevice Device = OpenedDevice();
    Service.ShortMsgResults = {0, 0, 67};
    Device.SendAllNotesOff();
    const auto Sends = Service.CallsOf(TCallKind::ShortMsg);
    ASSERT_EQ(Sends.size(), 16u);
    for (uint32_t Channel = 0; Channel < 16; ++Channel)
        EXPECT_EQ(Sends[Channel].Message, 0x7BB0u + Channel);
    EXPECT_EQ(Errors.Messages, TTexts{"The hardware is busy with other data."});
}

TEST_F(MIDIDeviceTest, ClearForgetsAnOpenPortWithoutClosingIt)
{
    TMIDIDevice Device = OpenedDevice();
    Device.Clear();
    EXPECT_EQ(Device.Handle, 0u);
    EXPECT_EQ(Device.Name, "");
    EXPECT_EQ(Device.ID, MIDI_MAPPER);
    EXPECT_TRUE(Service.CallsOf(TCallKind::Close).empty());
}

namespace {

class MIDIDevicesTest : public MIDIDeviceTest {
protected:
    TMIDIDevices Devices;
};

}

TEST_F(MIDIDevicesTest, WithoutDevicesOnlyTheMapperIsListedAndItsOpenFails)
{
    Devices.Enumerate();
    ASSERT_EQ(Devices.Items.size(), 1u);
    EXPECT_EQ(Devices.Items[0].Name, "Windows MIDI Mapper");
    EXPECT_EQ(Devices.Items[0].ID, -1);
    EXPECT_EQ(Devices.Items[0].Handle, 0u);
    EXPECT_TRUE(Service.CallsOf(TCallKind::GetDevCaps).empty());

    // The program's own service before a real one is installed has no devices.
    TMIDIOutService* Recording = SetMIDIOutService(nullptr);
    TMIDIDevices Bare;
    Bare.Enumerate();
    Bare.Items[0].Open(1, 0);
    Bare.Items[0].SendNoteOn(1, 60, 100);
    SetMIDIOutService(Recording);
    EXPECT_EQ(Bare.Items.size(), 1u);
    EXPECT_EQ(Errors.Messages, (TTexts{"No MIDI port was found. This error occurs only when the mapper is opened.",
                                       "Device is not opended."}));
}

TEST_F(MIDIDevicesTest, ListsEveryReadableDeviceAfterTheMapper)
{
    Service.DeviceNames = {"One", "Two", "Three"};
    Devices.Enumerate();
    ASSERT_EQ(Devices.Items.size(), 4u);
    const std::vector<std::pair<std::string, int32_t>> Expected = {
        {"Windows MIDI Mapper", -1}, {"One", 0}, {"Two", 1}, {"Three", 2}};
    for (size_t Position = 0; Position < Expected.size(); ++Position) {
        EXPECT_EQ(Devices.Items[Position].Name, Expected[Position].first);
        EXPECT_EQ(Devices.Items[Position].ID, Expected[Position].second);
    }
    EXPECT_TRUE(Devices.HasPosition(0));
    EXPECT_TRUE(Devices.HasPosition(3));
    EXPECT_FALSE(Devices.HasPosition(4));
    EXPECT_FALSE(Devices.HasPosition(-1));
}

TEST_F(MIDIDevicesTest, UnreadableDevicesAreLeftOutAndOnlyKnownCodesShowABox)
{
    Service.DeviceNames = {"A", "B", "C", "D", "E", "F"};
    Service.DevCapsResults = {{0, 6}, {1, 2}, {2, 7}, {3, 11}, {4, 99}};
    Devices.Enumerate();
    EXPECT_EQ(Errors.Messages, (TTexts{"The driver is not installed.",
                                       "The specified device identifier is out of range.",
                                       "The system is unable to load mapper string description.",
                                       "The specified pointer or structure is invalid."}));
    ASSERT_EQ(Devices.Items.size(), 2u);
    EXPECT_EQ(Devices.Items[1].Name, "F");
    EXPECT_EQ(Devices.Items[1].ID, 5);
}

TEST_F(MIDIDevicesTest, ProductNamesEndAtTheirFirstZeroByteOrAfterThirtyTwoBytes)
{
    const std::string Full = "ABCDEFGHIJKLMNOPQRSTUVWXYZ012345";
    Service.DeviceNames = {Full + "overflow", std::string("Short\0Tail", 10)};
    Devices.Enumerate();
    EXPECT_EQ(Devices.Items[1].Name, Full);
    EXPECT_EQ(Devices.Items[2].Name, "Short");
}

TEST_F(MIDIDevicesTest, AllNotesOffReachesOpenPortsOnly)
{
    Service.DeviceNames = {"One", "Two"};
    Devices.Enumerate();
    Devices.SendAllNotesOff();
    EXPECT_TRUE(Service.Calls.size() == 3u); // the count and two capability queries
    Devices.Items[2].Open(1, 0);
    Service.ClearRecords();
    Devices.SendAllNotesOff();
    EXPECT_EQ(Service.SentTo(1).size(), 16u);
    EXPECT_EQ(Service.Sent.size(), 16u);
    EXPECT_TRUE(Errors.Messages.empty());
}

TEST_F(MIDIDevicesTest, ClearClosesEveryPortEvenWhenACloseFails)
{
    Service.DeviceNames = {"One", "Two"};
    Devices.Enumerate();
    Devices.Items[0].Open(1, 0);
    Devices.Items[2].Open(1, 0);
    Service.CloseResults = {65};
    Devices.Clear();
    EXPECT_TRUE(Devices.Items.empty());
    EXPECT_EQ(Errors.Messages, TTexts{"Buffers are still in the queue."});
    EXPECT_EQ(Service.CallsOf(TCallKind::Close).size(), 2u);
    EXPECT_EQ(Service.OpenDevices(), std::vector<int32_t>{-1});

    Service.ClearRecords();
    Devices.Clear();
    EXPECT_TRUE(Service.Calls.empty());
}

TEST_F(MIDIDevicesTest, StartListsThePortsAndStopClosesThemAll)
{
    Service.DeviceNames = {"One"};
    MIDIDevicesStart();
    ASSERT_EQ(MIDIDevices.Items.size(), 2u);
    MIDIDevices.Items[1].Open(3, 4);
    MIDIDevicesStop();
    EXPECT_TRUE(MIDIDevices.Items.empty());
    EXPECT_TRUE(Service.OpenDevices().empty());
}

TEST_F(MIDIDevicesTest, ReadingAgainFollowsTheSystemAndTheOpenPortByItsName)
{
    const auto Names = [this] {
        TTexts Listed;
        for (const TMIDIDevice& Device : Devices.Items)
            Listed.push_back(Device.Listed ? Device.Name : "(" + Device.Name + ")");
        return Listed;
    };
    Service.DeviceNames = {"A", "B", "C"};
    Devices.Enumerate();
    Devices.Items[2].Open(1, 0);
    const HMIDIOUT B = Devices.Items[2].Handle;

    // A goes and D comes: B, still open, moves up.
    Service.DeviceNames = {"B", "C", "D"};
    Service.DevCapsResults = {{1, 6}};
    EXPECT_TRUE(Devices.Refresh().empty());
    EXPECT_EQ(Names(), (TTexts{MapperName, "B", "D"}));
    EXPECT_EQ(Devices.Items[1].Handle, B);
    EXPECT_EQ(Devices.Items[2].ID, 2);
    EXPECT_EQ(Devices.PositionOf("B"), 1);
    EXPECT_TRUE(Errors.Messages.empty()) << "reading again shows no box";

    // B goes while open: it stays at the end, unlisted, until it closes; it
    // cannot be opened again, and its sends fail.
    Service.DeviceNames = {"C", "D"};
    Service.DevCapsResults.clear();
    EXPECT_TRUE(Devices.Refresh().empty());
    EXPECT_EQ(Names(), (TTexts{MapperName, "C", "D", "(B)"}));
    EXPECT_EQ(Devices.ListedCount(), 3);
    EXPECT_EQ(Devices.PositionOf("B"), -1);
    Devices.Items[3].SendNoteOn(1, 60, 100);
    EXPECT_EQ(Errors.Messages, TTexts{"The specified device handle is invalid."});

    // B is back: it is listed where the system has it, and said to need a new connection.
    Service.DeviceNames = {"C", "B", "D"};
    EXPECT_EQ(Devices.Refresh(), std::vector<int32_t>{2});
    EXPECT_EQ(Names(), (TTexts{MapperName, "C", "B", "D"}));
    EXPECT_EQ(Devices.Items[2].Handle, B);

    // Closed while gone, it leaves the list at the next reading.
    Service.DeviceNames = {"C"};
    Devices.Refresh();
    Devices.Items[2].Close();
    TMIDIDevice Unlisted = Devices.Items[2];
    Unlisted.Open(1, 0);
    EXPECT_EQ(Errors.Messages.back(), "The specified device identifier is out of range.");
    Devices.Refresh();
    EXPECT_EQ(Names(), (TTexts{MapperName, "C"}));
}
