#include <gtest/gtest.h>

#include "midi/MIDIOutService.h"
#include "midi/SystemMIDIPorts.h"

TEST(SystemMIDIPorts, EveryRtMidiFailureMapsToTheCodeWhoseTextFitsIt)
{
    struct TCase {
        RtMidiError::Type Failure;
        uint32_t Open, Send, Close;
    };
    const TCase Cases[] = {
        {RtMidiError::WARNING, MMSYSERR_ERROR, MIDIERR_NOTREADY, MMSYSERR_ERROR},
        {RtMidiError::UNSPECIFIED, MMSYSERR_ERROR, MMSYSERR_ERROR, MMSYSERR_ERROR},
        {RtMidiError::NO_DEVICES_FOUND, MMSYSERR_BADDEVICEID, MMSYSERR_ERROR, MMSYSERR_ERROR},
        {RtMidiError::INVALID_DEVICE, MMSYSERR_BADDEVICEID, MMSYSERR_ERROR, MMSYSERR_ERROR},
        {RtMidiError::INVALID_PARAMETER, MMSYSERR_BADDEVICEID, MMSYSERR_ERROR, MMSYSERR_ERROR},
        {RtMidiError::MEMORY_ERROR, MMSYSERR_NOMEM, MMSYSERR_ERROR, MMSYSERR_ERROR},
        {RtMidiError::INVALID_USE, MMSYSERR_ALLOCATED, MMSYSERR_INVALHANDLE, MMSYSERR_INVALHANDLE},
        {RtMidiError::DRIVER_ERROR, MMSYSERR_ALLOCATED, MMSYSERR_ERROR, MMSYSERR_ERROR},
        {RtMidiError::SYSTEM_ERROR, MMSYSERR_ERROR, MMSYSERR_ERROR, MMSYSERR_ERROR},
        {RtMidiError::THREAD_ERROR, MMSYSERR_ERROR, MMSYSERR_ERROR, MMSYSERR_ERROR},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Failure);
        EXPECT_EQ(OpenResultOf(Case.Failure), Case.Open);
        EXPECT_EQ(SendResultOf(Case.Failure), Case.Send);
        EXPECT_EQ(CloseResultOf(Case.Failure), Case.Close);
    }
}

TEST(SystemMIDIPorts, APortThatCannotBeReachedAnswersTwoWithoutAWordOnTheConsole)
{
    testing::internal::CaptureStderr();
    ListSystemPorts();
    for (const TSystemPortName& Port : {TSystemPortName{TSystemMIDIAPI::ALSA, "Nowhere:Nothing 99:9"},
                                        TSystemPortName{TSystemMIDIAPI::JACK, "Nowhere:nothing"}}) {
        SCOPED_TRACE(Port.Name);
        TSystemMIDIPort Connection(Port);
        EXPECT_EQ(Connection.Open(), MMSYSERR_BADDEVICEID);
        EXPECT_EQ(Connection.Send(ShortMessageBytes(0x403C90)), MMSYSERR_INVALHANDLE);
        EXPECT_EQ(Connection.Close(), MMSYSERR_NOERROR);
    }
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST(SystemMIDIPorts, AnALSAPortIsFoundAgainUnderNewNumbersButNoOtherPortIs)
{
    const std::string Keyboard = "USB Keys:USB Keys MIDI 1 24:0";
    EXPECT_TRUE(IsSamePort(TSystemMIDIAPI::ALSA, Keyboard, Keyboard));
    EXPECT_TRUE(IsSamePort(TSystemMIDIAPI::ALSA, Keyboard, "USB Keys:USB Keys MIDI 1 28:0"));
    EXPECT_FALSE(IsSamePort(TSystemMIDIAPI::ALSA, Keyboard, "USB Keys:USB Keys MIDI 2 24:1"));
    EXPECT_FALSE(IsSamePort(TSystemMIDIAPI::ALSA, Keyboard, "USB Keys:USB Keys MIDI 1"));
    EXPECT_FALSE(IsSamePort(TSystemMIDIAPI::JACK, "synth:in 1", "synth:in 2"));
    EXPECT_TRUE(IsSamePort(TSystemMIDIAPI::JACK, "synth:in", "synth:in"));
}
