#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <numbers>
#include <thread>
#include <vector>

#include "CalibratedSoundFont.h"
#include "ErrorRecorder.h"
#include "SoundMeasures.h"
#include "TemporaryFolder.h"
#include "core/MIDIMessageRoutines.h"
#include "midi/LinuxMIDIOutService.h"
#include "midi/MIDIDevicesRoutines.h"
#include "midi/SoundFontRoutines.h"

namespace {

constexpr double Rate = 48000.0;

size_t Frames(double Seconds)
{
    return static_cast<size_t>(Seconds * Rate);
}

// The power of Samples at one frequency (Goertzel).
double PowerAt(const std::vector<float>& Samples, double Frequency)
{
    const double Coefficient = 2.0 * std::cos(2.0 * std::numbers::pi * Frequency / Rate);
    double Previous = 0.0;
    double BeforePrevious = 0.0;
    for (const float Sample : Samples) {
        const double Current = Sample + Coefficient * Previous - BeforePrevious;
        BeforePrevious = Previous;
        Previous = Current;
    }
    return Previous * Previous + BeforePrevious * BeforePrevious - Coefficient * Previous * BeforePrevious;
}

// The fundamental from 50 Hz to 1 kHz whose first three harmonics sound
// strongest together, to 1 Hz. A piano's second harmonic may be louder than
// its first; the product of the three still peaks at the played pitch.
double StrongestFundamental(const std::vector<float>& Samples)
{
    double Strongest = 0.0;
    double Best = -1.0;
    for (double Frequency = 50.0; Frequency <= 1000.0; Frequency += 1.0) {
        const double Product = PowerAt(Samples, Frequency) * PowerAt(Samples, 2 * Frequency) *
                               PowerAt(Samples, 3 * Frequency);
        if (Product > Best) {
            Best = Product;
            Strongest = Frequency;
        }
    }
    return Strongest;
}

// The share of each of the first six harmonics of Fundamental in the sound.
std::vector<double> Timbre(const std::vector<float>& Samples, double Fundamental)
{
    std::vector<double> Shares;
    double Total = 0.0;
    for (int Harmonic = 1; Harmonic <= 6; ++Harmonic) {
        Shares.push_back(std::sqrt(PowerAt(Samples, Fundamental * Harmonic)));
        Total += Shares.back();
    }
    for (double& Share : Shares)
        Share /= Total;
    return Shares;
}

// The built-in synthesizer behind the mapper, rendered offline: every
// message goes through the service's send path.
class SynthesizerTest : public testing::Test {
protected:
    void SetUp() override
    {
        SoundFont = FindSoundFont(Empty.Path(), CalibratedSoundFont);
        ASSERT_FALSE(SoundFont.empty()) << "scripts/setup installs the timgm6mb-soundfont package";
        Service.AudioDrivers.clear();
        Service.Enumerate(SoundFont, {});
        ASSERT_EQ(Service.Open(Handle, MIDI_MAPPER), MMSYSERR_NOERROR);
        Synthesizer = Service.Synthesizer(Handle);
        ASSERT_NE(Synthesizer, nullptr);
    }

    void Send(uint32_t Message) { ASSERT_EQ(Service.ShortMsg(Handle, Message), MMSYSERR_NOERROR); }

    // The next Seconds of sound, left and right mixed (summed, or, with
    // Loudest, the louder of the two, as a meter of the peak level sees it).
    std::vector<float> Render(double Seconds, bool Loudest = false)
    {
        EXPECT_TRUE(Synthesizer->WaitUntilLoaded());
        std::vector<float> Left(Frames(Seconds));
        std::vector<float> Right(Left.size());
        Synthesizer->Render(Left.data(), Right.data(), static_cast<int>(Left.size()));
        for (size_t Index = 0; Index < Left.size(); ++Index)
            Left[Index] = Loudest ? std::max(std::abs(Left[Index]), std::abs(Right[Index])) : Left[Index] + Right[Index];
        return Left;
    }

    // Sends Messages once the sound output plays (it was paused while
    // nothing had been sent yet) and returns the peak level of the next
    // Seconds; then everything is silenced.
    double PeakOf(const std::vector<uint32_t>& Messages, double Seconds)
    {
        for (const uint32_t Message : Messages)
            Send(Message);
        WaitUntilPlaying();
        const double Peak = PeakLevel(Render(Seconds, true));
        Send(AllNotesOffMessage(1));
        Render(3.0);
        return Peak;
    }

    void WaitUntilPlaying()
    {
        for (int Try = 0; Try < 1000 && Synthesizer->Paused(); ++Try)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        ASSERT_FALSE(Synthesizer->Paused());
    }

    // Plays Note on Channel for a moment and returns the steady part of it;
    // the note is then released and left to die away.
    std::vector<float> Sounding(int32_t Channel, int32_t Note)
    {
        Send(NoteOnMessage(Channel, Note, 100));
        Render(0.1);
        std::vector<float> Sound = Render(0.5);
        Send(NoteOffMessage(Channel, Note, 0));
        Render(3.0);
        return Sound;
    }

    TTemporaryFolder Empty;
    std::string SoundFont;
    TLinuxMIDIOutService Service;
    HMIDIOUT Handle = 0;
    TSynthesizerPort* Synthesizer = nullptr;
};

}

TEST_F(SynthesizerTest, NotesSoundAtTheirPitch)
{
    EXPECT_NEAR(StrongestFundamental(Sounding(1, 60)), 261.63, 261.63 * 0.02);
    EXPECT_NEAR(StrongestFundamental(Sounding(1, 69)), 440.0, 440.0 * 0.02);
    EXPECT_NEAR(StrongestFundamental(Sounding(16, 57)), 220.0, 220.0 * 0.02);
}

TEST_F(SynthesizerTest, NoteOffAndAllNotesOffBringTheLevelDownWithin200Milliseconds)
{
    struct TCase {
        const char* Name;
        uint32_t Message;
    };
    const TCase Cases[] = {
        {"no release", 0},
        {"Note Off", NoteOffMessage(3, 60, 64)},
        {"All Notes Off", AllNotesOffMessage(3)},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        Send(NoteOnMessage(3, 60, 100));
        const double Playing = Level(Render(0.3));
        if (Case.Message != 0)
            Send(Case.Message);
        Render(0.18);
        const double Later = Level(Render(0.02));
        ASSERT_GT(Playing, 0.01);
        if (Case.Message == 0)
            EXPECT_GT(Later, Playing * 0.2);
        else
            EXPECT_LT(Later, Playing * 0.1);
        Send(AllNotesOffMessage(3));
        Render(3.0);
    }
}

TEST_F(SynthesizerTest, ProgramChangeChangesTheSound)
{
    Send(ProgramChangeMessage(2, 73));
    const std::vector<double> Piano = Timbre(Sounding(1, 60), 261.63);
    const std::vector<float> FluteSound = Sounding(2, 60);
    EXPECT_NEAR(StrongestFundamental(FluteSound), 261.63, 261.63 * 0.02);
    const std::vector<double> Flute = Timbre(FluteSound, 261.63);
    double Difference = 0.0;
    for (size_t Harmonic = 0; Harmonic < Piano.size(); ++Harmonic)
        Difference += std::abs(Piano[Harmonic] - Flute[Harmonic]);
    EXPECT_GT(Difference, 0.3);
}

TEST_F(SynthesizerTest, WhatIsSentWhileTheSoundFontLoadsPlaysInOrder)
{
    // Sent at once after the open, long before a SoundFont of megabytes has
    // loaded: reversed, the note would never end.
    Send(NoteOnMessage(1, 60, 100));
    Send(NoteOffMessage(1, 60, 0));
    Send(NoteOnMessage(2, 69, 100));
    Render(1.5);
    const std::vector<float> Sound = Render(0.5);
    EXPECT_NEAR(StrongestFundamental(Sound), 440.0, 440.0 * 0.02);
    EXPECT_LT(PowerAt(Sound, 261.63), PowerAt(Sound, 440.0) * 0.01);
}

TEST_F(SynthesizerTest, ANoteSoundsAsLoudAsOtherSynthesizersAndAFullChordDoesNotClip)
{
    // The piano at the program's default velocity, low to high.
    for (const int32_t Note : {36, 48, 60, 72, 84, 96}) {
        SCOPED_TRACE(Note);
        const double Peak = PeakOf({NoteOnMessage(1, Note, 103)}, 1.0);
        EXPECT_GT(Peak, -9.0);
        EXPECT_LT(Peak, -3.0);
    }
    // Ten fingers at full velocity, on the piano and on the loudest voices.
    const int32_t Chord[] = {48, 52, 55, 60, 64, 67, 72, 76, 79, 84};
    for (const int32_t Program : {0, 48, 61, 81}) {
        SCOPED_TRACE(Program);
        std::vector<uint32_t> Messages{ProgramChangeMessage(1, Program)};
        for (const int32_t Note : Chord)
            Messages.push_back(NoteOnMessage(1, Note, 127));
        const double Peak = PeakOf(Messages, 2.0);
        EXPECT_LT(Peak, 0.0);
        EXPECT_GT(Peak, -3.0);
    }
}

TEST_F(SynthesizerTest, TheSoundPausesOnceSilentAndTheNextNoteResumesItWhole)
{
    // What the note sounds like on a synthesizer that has just started.
    Send(NoteOnMessage(1, 64, 100));
    WaitUntilPlaying();
    const std::vector<float> Fresh = Render(0.3);
    Send(NoteOffMessage(1, 64, 0));

    // The release and the reverb die away (under -90 dBFS) before the
    // output pauses; rendered in 10 ms steps.
    int Steps = 0;
    int LastSounding = 0;
    while (!Synthesizer->Paused() && Steps < 1000) {
        if (PeakLevel(Render(0.01, true)) > -90.0)
            LastSounding = Steps;
        ++Steps;
        // The pause comes from the output's worker, in its own time.
        std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
    ASSERT_TRUE(Synthesizer->Paused());
    EXPECT_GE((Steps - LastSounding) * 0.01, TAudioOutput::IdleSeconds);
    EXPECT_EQ(Level(Render(1.0)), 0.0);

    // The first note after the pause starts on time (FluidSynth starts notes
    // on its 64-frame blocks), attack and all: 10 ms by 10 ms, it is as loud
    // as the fresh one.
    Send(NoteOnMessage(1, 64, 100));
    WaitUntilPlaying();
    const std::vector<float> Resumed = Render(0.3);
    const auto Onset = [](const std::vector<float>& Sound) {
        return std::find_if(Sound.begin(), Sound.end(), [](float Sample) { return std::abs(Sample) > 0.01f; });
    };
    const auto FreshOnset = Onset(Fresh);
    const auto ResumedOnset = Onset(Resumed);
    EXPECT_NEAR(ResumedOnset - Resumed.begin(), FreshOnset - Fresh.begin(), 64);
    const auto Window = static_cast<std::ptrdiff_t>(Frames(0.01));
    for (std::ptrdiff_t Start = 0; Start + Window < Fresh.end() - FreshOnset && Start + Window < Resumed.end() - ResumedOnset;
         Start += Window) {
        SCOPED_TRACE(Start);
        EXPECT_NEAR(20 * std::log10(Level({ResumedOnset + Start, ResumedOnset + Start + Window})),
                    20 * std::log10(Level({FreshOnset + Start, FreshOnset + Start + Window})), 1.0);
    }
}

TEST(SynthesizerFailures, EachFailureToOpenAnswersItsCodeAndLeavesNothingOpen)
{
    TTemporaryFolder Folder;
    Folder.Write("Text.sf2", "This is no SoundFont.");
    TLinuxMIDIOutService Service;
    TErrorRecorder Errors;
    SetMIDIOutService(&Service);

    struct TCase {
        std::string SoundFont;
        std::vector<std::string> AudioDrivers;
        int32_t ID;
        std::string Text;
    };
    // With no sound output, the mapper finds no device; the synthesizer
    // chosen itself is out of reach.
    const std::string SoundFont = FindSoundFont(Folder.Path() + "none");
    const TCase Cases[] = {
        {Folder / "Gone.sf2", {}, 0, "The specified device identifier is out of range."},
        {Folder / "Text.sf2", {}, 0, "The specified pointer or structure is invalid."},
        {SoundFont, {"no such driver"}, MIDI_MAPPER,
         "No MIDI port was found. This error occurs only when the mapper is opened."},
        {SoundFont, {"no such driver"}, 0, "The specified device identifier is out of range."},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.SoundFont + " " + std::to_string(Case.ID));
        Errors.Messages.clear();
        Service.AudioDrivers = Case.AudioDrivers;
        Service.Enumerate(Case.SoundFont, {});
        TMIDIDevice Device{0, SynthesizerName, Case.ID};
        Device.Open(1, 0);
        EXPECT_EQ(Device.Handle, 0u);
        EXPECT_EQ(Errors.Messages, std::vector<std::string>{Case.Text});
    }
    SetMIDIOutService(nullptr);
}

TEST(SynthesizerFailures, ASoundFontThatFailsToLoadAnswersEverySend)
{
    TTemporaryFolder Folder;
    Folder.Write("Broken.sf2", std::string("RIFF\x20\x00\x00\x00sfbkLIST", 16) + std::string(64, '\x7F'));
    TLinuxMIDIOutService Service;
    Service.AudioDrivers.clear();
    Service.Enumerate(Folder / "Broken.sf2", {});
    HMIDIOUT Handle = 0;
    ASSERT_EQ(Service.Open(Handle, 0), MMSYSERR_NOERROR);
    EXPECT_FALSE(Service.Synthesizer(Handle)->WaitUntilLoaded());
    EXPECT_EQ(Service.ShortMsg(Handle, NoteOnMessage(1, 60, 100)), MMSYSERR_ERROR);
    EXPECT_EQ(Service.Close(Handle), MMSYSERR_NOERROR);
}
