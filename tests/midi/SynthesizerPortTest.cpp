#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "ErrorRecorder.h"
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

double Level(const std::vector<float>& Samples)
{
    double Sum = 0.0;
    for (const float Sample : Samples)
        Sum += static_cast<double>(Sample) * Sample;
    return Samples.empty() ? 0.0 : std::sqrt(Sum / static_cast<double>(Samples.size()));
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
        SoundFont = FindSoundFont(Empty.Path());
        ASSERT_FALSE(SoundFont.empty()) << "scripts/setup installs the timgm6mb-soundfont package";
        Service.AudioDrivers.clear();
        Service.Enumerate(SoundFont, {});
        ASSERT_EQ(Service.Open(Handle, MIDI_MAPPER), MMSYSERR_NOERROR);
        Synthesizer = Service.Synthesizer(Handle);
        ASSERT_NE(Synthesizer, nullptr);
    }

    void Send(uint32_t Message) { ASSERT_EQ(Service.ShortMsg(Handle, Message), MMSYSERR_NOERROR); }

    // The next Seconds of sound, left and right mixed.
    std::vector<float> Render(double Seconds)
    {
        EXPECT_TRUE(Synthesizer->WaitUntilLoaded());
        std::vector<float> Left(Frames(Seconds));
        std::vector<float> Right(Left.size());
        Synthesizer->Render(Left.data(), Right.data(), static_cast<int>(Left.size()));
        for (size_t Index = 0; Index < Left.size(); ++Index)
            Left[Index] += Right[Index];
        return Left;
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
        std::string Text;
    };
    const TCase Cases[] = {
        {Folder / "Gone.sf2", {}, "The specified device identifier is out of range."},
        {Folder / "Text.sf2", {}, "The specified pointer or structure is invalid."},
        {FindSoundFont(Folder.Path() + "none"), {"no such driver"}, "The specified resource is already allocated."},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.SoundFont);
        Errors.Messages.clear();
        Service.AudioDrivers = Case.AudioDrivers;
        Service.Enumerate(Case.SoundFont, {});
        TMIDIDevice Device{0, SynthesizerName, 0};
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
