#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <optional>
#include <string>
#include <thread>

#include "CalibratedSoundFont.h"
#include "EnvironmentVariable.h"
#include "ErrorRecorder.h"
#include "JACKServer.h"
#include "JACKSoundRecorder.h"
#include "PipeWireServer.h"
#include "PulseAudioServer.h"
#include "SoundMeasures.h"
#include "core/MIDIMessageRoutines.h"
#include "midi/AudioDriverRoutines.h"
#include "midi/LinuxMIDIOutService.h"
#include "midi/MIDIDevicesRoutines.h"
#include "midi/SoundFontRoutines.h"

// The built-in synthesizer heard through real sound systems: a PulseAudio
// server of the test's own (directly, and through ALSA's PulseAudio device),
// a PipeWire of the test's own and a JACK server.

namespace {

using namespace std::chrono_literals;

constexpr size_t Rate = 48000;

// The built-in synthesizer behind the mapper, opened as the window opens
// it, on one audio output.
class TSynthesizerDevice {
public:
    explicit TSynthesizerDevice(const std::string& AudioDriver)
    {
        Service.AudioDrivers = {AudioDriver};
        Service.Enumerate(FindSoundFont("/nonexistent/", CalibratedSoundFont), {});
        SetMIDIOutService(&Service);
        Device.Open(1, 0);
    }

    ~TSynthesizerDevice()
    {
        Device.Close();
        SetMIDIOutService(nullptr);
    }

    TSynthesizerPort& Port() { return *Service.Synthesizer(Device.Handle); }

    // Waits until the output has paused, at most Limit; whether it has.
    bool PausedWithin(std::chrono::milliseconds Limit)
    {
        const auto Deadline = std::chrono::steady_clock::now() + Limit;
        while (!Port().Paused() && std::chrono::steady_clock::now() < Deadline)
            std::this_thread::sleep_for(10ms);
        return Port().Paused();
    }

    // A short note on the piano at the program's default velocity.
    void Play(std::chrono::milliseconds Length = 400ms)
    {
        Device.SendNoteOn(1, 60, 103);
        std::this_thread::sleep_for(Length);
        Device.SendNoteOff(1, 60, 0);
    }

    TLinuxMIDIOutService Service;
    TMIDIDevice Device{0, MapperName, MIDI_MAPPER};
};

// Two notes were recorded, the second after a pause: it must start with the
// same attack as the first.
void ExpectTwoEqualNotes(const std::vector<float>& Sound)
{
    const std::vector<size_t> Found = Onsets(Sound, 0.01f, Rate);
    ASSERT_EQ(Found.size(), 2u);
    const double First = PeakLevel(Part(Sound, Found[0], Rate / 10));
    const double AfterThePause = PeakLevel(Part(Sound, Found[1], Rate / 10));
    EXPECT_GT(First, -20.0);
    EXPECT_NEAR(AfterThePause, First, 1.0);
}

// The sound server has just died: the output learns of it from its own
// threads within moments, and from then on every note shows its failure.
void ExpectNotesToFailOnceTheOutputIsGone(TSynthesizerDevice& Synthesizer, TErrorRecorder& Errors)
{
    for (int Try = 0; Try < 100 && Errors.Messages.empty(); ++Try) {
        Synthesizer.Device.SendNoteOn(1, 64, 103);
        std::this_thread::sleep_for(20ms);
    }
    ASSERT_FALSE(Errors.Messages.empty()) << "every note was reported as played";
    EXPECT_EQ(Errors.Messages.front(), "The specified device handle is invalid.");
    Errors.Messages.clear();
    Synthesizer.Device.SendNoteOn(1, 64, 103);
    EXPECT_EQ(Errors.Messages, std::vector<std::string>{"The specified device handle is invalid."});
}

// The server of a synthesizer that plays dies and comes back, heard at
// SinkAddress: notes fail until Reset opens the synthesizer again.
template <typename TServer>
void ExpectNotesToFailUntilResetOnceTheServerIsBack(TSynthesizerDevice& Synthesizer, TServer& Server,
                                                    const std::string& SinkAddress, TErrorRecorder& Errors)
{
    ASSERT_NE(Synthesizer.Device.Handle, 0u) << testing::PrintToString(Errors.Messages);
    Synthesizer.Play(100ms);
    Server.Kill();
    ExpectNotesToFailOnceTheOutputIsGone(Synthesizer, Errors);

    Server.Start();
    ASSERT_TRUE(Server.Runs()) << Server.Problem;
    Errors.Messages.clear();
    TSinkRecording Recording(SinkAddress);
    Synthesizer.Device.Close();
    Synthesizer.Device.Open(1, 0);
    Synthesizer.Play();
    Recording.Stop();
    EXPECT_TRUE(Errors.Messages.empty()) << testing::PrintToString(Errors.Messages);
    EXPECT_GT(PeakLevel(Recording.Samples()), -20.0);
}

class PulseAudioOutputTest : public testing::TestWithParam<const char*> {
protected:
    void SetUp() override
    {
        if (!PulseAudioInstalled())
            GTEST_SKIP() << "pulseaudio is not installed";
        ASSERT_TRUE(Server.Runs()) << Server.Problem;
    }

    TPulseAudioServer Server;
    TErrorRecorder Errors;
};

}

TEST_P(PulseAudioOutputTest, TheOutputSleepsOnceSilentAndWakesForTheNextNoteWhole)
{
    TSynthesizerDevice Synthesizer(GetParam());
    ASSERT_NE(Synthesizer.Device.Handle, 0u) << testing::PrintToString(Errors.Messages);
    TSinkRecording Recording(Server.Address());
    Synthesizer.Play();
    ASSERT_TRUE(Synthesizer.PausedWithin(8s));
    if (std::string(GetParam()) == "pulseaudio") {
        EXPECT_NE(Server.Control("list sink-inputs").find("Corked: yes"), std::string::npos);
    }
    Synthesizer.Play();
    std::this_thread::sleep_for(200ms);
    Recording.Stop();
    ExpectTwoEqualNotes(Recording.Samples());
    EXPECT_TRUE(Errors.Messages.empty()) << testing::PrintToString(Errors.Messages);
}

TEST_P(PulseAudioOutputTest, OnceTheServerDiesNotesShowTheirFailureAndResetReopensWhenItIsBack)
{
    TSynthesizerDevice Synthesizer(GetParam());
    ExpectNotesToFailUntilResetOnceTheServerIsBack(Synthesizer, Server, Server.Address(), Errors);
}

// "alsa:pulse" is ALSA's device that plays into the PulseAudio server.
INSTANTIATE_TEST_SUITE_P(Outputs, PulseAudioOutputTest, testing::Values("pulseaudio", "alsa:pulse"));

TEST(JACKOutputTest, WhereTheUserRoutedTheSoundItStillGoesAfterAPause)
{
    if (!JACKServerInstalled())
        GTEST_SKIP() << "jackd is not installed";
    TJACKServer Server;
    ASSERT_TRUE(Server.Runs()) << Server.Problem;
    TErrorRecorder Errors;
    TJACKSoundRecorder Recorder;
    ASSERT_TRUE(Recorder.Runs());
    TSynthesizerDevice Synthesizer("jack");
    ASSERT_NE(Synthesizer.Device.Handle, 0u) << testing::PrintToString(Errors.Messages);
    const std::string Left = SynthesizerName + std::string(":left");

    // The user connects a recorder while the synthesizer plays.
    Synthesizer.Device.SendNoteOn(1, 60, 103);
    for (int Try = 0; Try < 100 && !Recorder.Listen(Left); ++Try)
        std::this_thread::sleep_for(10ms);
    ASSERT_TRUE(Recorder.Hears(Left));
    Synthesizer.Device.SendNoteOff(1, 60, 0);
    // Paused, the client takes no part in JACK's cycles and has lost its
    // connections (not merely about to).
    ASSERT_TRUE(Synthesizer.PausedWithin(8s));
    EXPECT_FALSE(Recorder.Hears(Left));

    // The note that wakes the output, then one while it still plays.
    Synthesizer.Play();
    EXPECT_TRUE(Recorder.Hears(Left));
    std::this_thread::sleep_for(1500ms);
    ASSERT_FALSE(Synthesizer.Port().Paused());
    Synthesizer.Play();
    std::this_thread::sleep_for(100ms);
    const std::vector<float> Sound = Recorder.Samples();
    // The first note started before the recorder listened. The one after the
    // pause has the level a note has, and its first period is the same as
    // that of the note played while the output was awake: no part of its
    // attack went out before the connections were back.
    const std::vector<size_t> Found = Onsets(Sound, 0.01f, Rate);
    ASSERT_GE(Found.size(), 2u);
    const size_t Woken = Found[Found.size() - 2];
    const size_t Awake = Found.back();
    EXPECT_NEAR(PeakLevel(Part(Sound, Woken, Rate / 10)), -6.0, 3.0);
    const size_t Period = 256;
    EXPECT_NEAR(20 * std::log10(Level(Part(Sound, Woken, Period))), 20 * std::log10(Level(Part(Sound, Awake, Period))),
                1.0);
    EXPECT_TRUE(Errors.Messages.empty()) << testing::PrintToString(Errors.Messages);
}

TEST(JACKOutputTest, OnceTheServerDiesEvenAsleepNotesShowTheirFailureAndResetReopensWhenItIsBack)
{
    if (!JACKServerInstalled())
        GTEST_SKIP() << "jackd is not installed";
    TJACKServer Server;
    ASSERT_TRUE(Server.Runs()) << Server.Problem;
    TErrorRecorder Errors;
    TSynthesizerDevice Synthesizer("jack");
    ASSERT_NE(Synthesizer.Device.Handle, 0u) << testing::PrintToString(Errors.Messages);
    Synthesizer.Play(100ms);
    // Asleep, the client takes no part in the server's cycles.
    ASSERT_TRUE(Synthesizer.PausedWithin(8s));
    if (!Server.Kill())
        GTEST_SKIP() << "the JACK server is not the test's own to stop";
    ExpectNotesToFailOnceTheOutputIsGone(Synthesizer, Errors);

    Server.Start();
    ASSERT_TRUE(Server.Runs()) << Server.Problem;
    Errors.Messages.clear();
    Synthesizer.Device.Close();
    Synthesizer.Device.Open(1, 0);
    TJACKSoundRecorder Recorder;
    for (int Try = 0; Try < 100 && !Recorder.Listen(SynthesizerName + std::string(":left")); ++Try)
        std::this_thread::sleep_for(10ms);
    Synthesizer.Play();
    EXPECT_TRUE(Errors.Messages.empty()) << testing::PrintToString(Errors.Messages);
    EXPECT_GT(PeakLevel(Recorder.Samples()), -20.0);
}

namespace {

class PipeWireOutputTest : public testing::Test {
protected:
    void SetUp() override
    {
        if (!PipeWireInstalled())
            GTEST_SKIP() << "PipeWire is not installed";
        ASSERT_TRUE(Server.Runs()) << Server.Problem;
    }

    TPipeWireServer Server;
    TErrorRecorder Errors;
};

}

TEST_F(PipeWireOutputTest, AStreamNamedKlavoraSleepsOnceSilentOutOfTheGraphAndWakesForTheNextNoteWhole)
{
    TSynthesizerDevice Synthesizer("pipewire");
    ASSERT_NE(Synthesizer.Device.Handle, 0u) << testing::PrintToString(Errors.Messages);
    const std::string Stream = PipeWireNode("Klavora");
    EXPECT_NE(Stream.find("\"application.name\": \"Klavora\""), std::string::npos) << Stream;
    EXPECT_NE(Stream.find("\"media.name\": \"Klavora Synthesizer\""), std::string::npos) << Stream;
    EXPECT_NE(Stream.find("\"node.latency\": \"128/48000\""), std::string::npos) << Stream;
    EXPECT_DOUBLE_EQ(Synthesizer.Port().ConfiguredLatency(), 128 / 48000.0);

    TSinkRecording Recording(Server.PulseAddress());
    Synthesizer.Play();
    EXPECT_NE(PipeWireNode("Klavora").find("\"state\": \"running\""), std::string::npos);
    ASSERT_TRUE(Synthesizer.PausedWithin(8s));
    // Inactive, the node takes no part in the graph's cycles.
    const std::string Paused = PipeWireNode("Klavora");
    EXPECT_EQ(Paused.find("\"state\": \"running\""), std::string::npos) << Paused;
    Synthesizer.Play();
    std::this_thread::sleep_for(200ms);
    Recording.Stop();
    ExpectTwoEqualNotes(Recording.Samples());
    EXPECT_TRUE(Errors.Messages.empty()) << testing::PrintToString(Errors.Messages);
}

TEST_F(PipeWireOutputTest, OnceTheServerDiesNotesShowTheirFailureAndResetReopensWhenItIsBack)
{
    TSynthesizerDevice Synthesizer("pipewire");
    ExpectNotesToFailUntilResetOnceTheServerIsBack(Synthesizer, Server, Server.PulseAddress(), Errors);
}

// PipeWire comes first, as on a desktop; a PulseAudio server that the
// environment names is the one that plays.
TEST_F(PipeWireOutputTest, TheSynthesizerPlaysIntoPipeWireUnlessTheEnvironmentNamesAPulseAudioServer)
{
    if (!PulseAudioInstalled())
        GTEST_SKIP() << "pulseaudio is not installed";
    const auto DriverChosen = [] {
        TLinuxMIDIOutService Service;
        Service.Enumerate(FindSoundFont("/nonexistent/", CalibratedSoundFont), {});
        HMIDIOUT Handle = 0;
        EXPECT_EQ(Service.Open(Handle, MIDI_MAPPER), MMSYSERR_NOERROR);
        const TSynthesizerPort* Synthesizer = Service.Synthesizer(Handle);
        return Synthesizer != nullptr ? Synthesizer->AudioDriver() : std::string("none");
    };
    EXPECT_EQ(DriverChosen(), "pipewire");
    TPulseAudioServer Named;
    ASSERT_TRUE(Named.Runs()) << Named.Problem;
    EXPECT_EQ(DriverChosen(), "pulseaudio");
}

TEST(AudioDriverOrderTest, TheSoundServersTheEnvironmentNamesComeFirstInTheirOwnOrder)
{
    using TNames = std::vector<std::string>;
    struct TCase {
        std::optional<std::string> PulseServer;
        std::optional<std::string> JACKServer;
        TNames Order;
    };
    const TCase Cases[] = {
        {std::nullopt, std::nullopt, {"pipewire", "pulseaudio", "jack", "alsa"}},
        {"unix:/run/pulse", std::nullopt, {"pulseaudio", "pipewire", "jack", "alsa"}},
        {std::nullopt, "studio", {"jack", "pipewire", "pulseaudio", "alsa"}},
        {"unix:/run/pulse", "studio", {"pulseaudio", "jack", "pipewire", "alsa"}},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(testing::PrintToString(Case.Order));
        TEnvironmentVariable Pulse("PULSE_SERVER", Case.PulseServer);
        TEnvironmentVariable JACK("JACK_DEFAULT_SERVER", Case.JACKServer);
        EXPECT_EQ(NamedSoundSystemsFirst(SynthesizerAudioDrivers), Case.Order);
    }
}
