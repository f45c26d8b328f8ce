#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "ErrorRecorder.h"
#include "midi/MIDIDevicesRoutines.h"
#include "midi/WindowsMIDIOutService.h"

// These run against the WinMM of the system at hand: Windows' own, or Wine's,
// which offers no device on a machine without sound hardware.

namespace {

using TTexts = std::vector<std::string>;

constexpr unsigned WesternCodePage = 1252;
// What Wine answers for the mapper when it has no device behind it.
constexpr uint32_t MIDIERR_INVALIDSETUP = 69;

// The service as the program installs it; every port is closed and the list
// emptied after each test.
class WindowsMIDIOutServiceTest : public testing::Test {
protected:
    void SetUp() override { SystemMIDIOutServiceStart(); }
    void TearDown() override
    {
        MIDIDevices.Clear();
        SystemMIDIOutServiceStop();
    }

    TErrorRecorder Errors;
};

std::string NameOf(const TMIDIOutCaps& Caps)
{
    return std::string(Caps.szPname, strnlen(Caps.szPname, sizeof Caps.szPname));
}

// A capability record's product-name field holding Bytes, cut at 32.
TMIDIOutCaps CapsOfField(const std::string& Bytes, unsigned CodePage)
{
    char Field[32] = {};
    std::memcpy(Field, Bytes.data(), std::min(Bytes.size(), sizeof Field));
    return ProductNameCaps(Field, CodePage);
}

std::string Repeated(const std::string& Text, size_t Count)
{
    std::string Result;
    for (size_t Index = 0; Index < Count; ++Index)
        Result += Text;
    return Result;
}

}

TEST_F(WindowsMIDIOutServiceTest, TheProgramInstallsItAndItsStopRestoresTheServiceWithoutDevices)
{
    EXPECT_EQ(&MIDIOutService(), &WindowsMIDIOutService);
    SystemMIDIOutServiceStop();
    EXPECT_NE(&MIDIOutService(), &WindowsMIDIOutService);
    HMIDIOUT Handle = 0;
    EXPECT_EQ(MIDIOutService().Open(Handle, MIDI_MAPPER), MIDIERR_NODEVICE);
}

TEST_F(WindowsMIDIOutServiceTest, TheDeviceListShowsTheMapperThenEveryDeviceWinMMOffers)
{
    const uint32_t Count = WindowsMIDIOutService.GetNumDevs();
    std::vector<std::string> Names;
    for (uint32_t DeviceID = 0; DeviceID < Count; ++DeviceID) {
        TMIDIOutCaps Caps;
        ASSERT_EQ(WindowsMIDIOutService.GetDevCaps(DeviceID, Caps), MMSYSERR_NOERROR) << DeviceID;
        Names.push_back(NameOf(Caps));
        EXPECT_FALSE(Names.back().empty()) << DeviceID;
    }
    TMIDIOutCaps Past;
    EXPECT_EQ(WindowsMIDIOutService.GetDevCaps(Count, Past), MMSYSERR_BADDEVICEID);

    MIDIDevicesStart();
    ASSERT_EQ(MIDIDevices.Items.size(), Count + 1);
    EXPECT_EQ(MIDIDevices.Items[0].Name, "Windows MIDI Mapper");
    EXPECT_EQ(MIDIDevices.Items[0].ID, MIDI_MAPPER);
    for (uint32_t DeviceID = 0; DeviceID < Count; ++DeviceID) {
        EXPECT_EQ(MIDIDevices.Items[DeviceID + 1].Name, Names[DeviceID]);
        EXPECT_EQ(MIDIDevices.Items[DeviceID + 1].ID, static_cast<int32_t>(DeviceID));
        EXPECT_EQ(MIDIDevices.Items[DeviceID + 1].Handle, 0u);
    }
    EXPECT_TRUE(Errors.Messages.empty());
}

TEST_F(WindowsMIDIOutServiceTest, OpeningTheMapperWithNoDeviceBehindItShowsTheTextOfWhatWinMMAnswers)
{
    if (WindowsMIDIOutService.GetNumDevs() > 0)
        GTEST_SKIP() << "this system has MIDI output devices";
    HMIDIOUT Handle = 0;
    const uint32_t Result = WindowsMIDIOutService.Open(Handle, MIDI_MAPPER);
    // Windows answers that no port was found; Wine that its mapper has no setup.
    ASSERT_TRUE(Result == MIDIERR_NODEVICE || Result == MIDIERR_INVALIDSETUP) << Result;
    EXPECT_EQ(Handle, 0u);

    MIDIDevicesStart();
    ASSERT_EQ(MIDIDevices.Items.size(), 1u);
    TMIDIDevice& Mapper = MIDIDevices.Items[0];
    Mapper.Open(1, 0);
    EXPECT_EQ(Mapper.Handle, 0u);
    Mapper.SendNoteOn(1, 60, 100);
    Mapper.SendAllNotesOff();
    EXPECT_EQ(Errors.Messages,
        (TTexts{Result == MIDIERR_NODEVICE ? "No MIDI port was found. This error occurs only when the mapper is opened."
                                           : "Open Function. Undefined MIDI Error.",
            "Device is not opended."}));
}

TEST_F(WindowsMIDIOutServiceTest, AnIdentifierPastTheDevicesIsOutOfRange)
{
    const int32_t Past = static_cast<int32_t>(WindowsMIDIOutService.GetNumDevs());
    HMIDIOUT Handle = 0;
    EXPECT_EQ(WindowsMIDIOutService.Open(Handle, Past), MMSYSERR_BADDEVICEID);
    EXPECT_EQ(Handle, 0u);

    TMIDIDevice Device{0, "Gone since the last start", Past};
    Device.Open(1, 0);
    EXPECT_EQ(Device.Handle, 0u);
    EXPECT_EQ(Errors.Messages, TTexts{"The specified device identifier is out of range."});
}

TEST_F(WindowsMIDIOutServiceTest, SendsAndClosesOnAClosedPortAnswerThatTheHandleIsInvalid)
{
    constexpr uint32_t NoteOn = 0x00643C90;
    EXPECT_EQ(WindowsMIDIOutService.ShortMsg(0, NoteOn), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(WindowsMIDIOutService.Close(0), MMSYSERR_INVALHANDLE);
    if (WindowsMIDIOutService.GetNumDevs() == 0)
        GTEST_SKIP() << "no MIDI output device to open and close";

    TMIDIDevice Device{0, "First", 0};
    Device.Open(1, 0);
    ASSERT_NE(Device.Handle, 0u) << (Errors.Messages.empty() ? "" : Errors.Messages.front());
    Device.SendNoteOn(1, 60, 100);
    Device.SendNoteOff(1, 60, 0);
    const HMIDIOUT Closed = Device.Handle;
    Device.Close();
    EXPECT_EQ(Device.Handle, 0u);
    EXPECT_TRUE(Errors.Messages.empty());

    EXPECT_EQ(WindowsMIDIOutService.ShortMsg(Closed, NoteOn), MMSYSERR_INVALHANDLE);
    TMIDIDevice Stale{Closed, "First", 0};
    Stale.SendNoteOn(1, 60, 100);
    EXPECT_EQ(Errors.Messages, TTexts{"The specified device handle is invalid."});
}

TEST(ProductNameCaps, TakesTheFieldUpToItsFirstZeroByteOrAllThirtyTwoBytes)
{
    const std::string Full = "Microsoft GS Wavetable Synth 123";
    ASSERT_EQ(Full.size(), 32u);
    EXPECT_EQ(NameOf(CapsOfField(Full, WesternCodePage)), Full);
    EXPECT_EQ(NameOf(CapsOfField(std::string("Synth\0after the end", 19), WesternCodePage)), "Synth");
    EXPECT_EQ(NameOf(CapsOfField("", WesternCodePage)), "");
}

TEST(ProductNameCaps, GivesUTF8OfTheCodePageCutToWholeCharacters)
{
    EXPECT_EQ(NameOf(CapsOfField("Synth\xE9 \xFC", WesternCodePage)), "Synth\xC3\xA9 \xC3\xBC");
    // 32 two-byte characters: the first 16 fill the field.
    EXPECT_EQ(NameOf(CapsOfField(std::string(32, '\xE9'), WesternCodePage)), Repeated("\xC3\xA9", 16));
    // 32 three-byte euro signs: ten fit, the eleventh is not cut in two.
    EXPECT_EQ(NameOf(CapsOfField(std::string(32, '\x80'), WesternCodePage)), Repeated("\xE2\x82\xAC", 10));
    // Plain ASCII reads the same in the system's own code page.
    EXPECT_EQ(NameOf(CapsOfField("USB MIDI Interface", 0)), "USB MIDI Interface");
}
