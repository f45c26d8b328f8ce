#include "PianoFixture.h"

#include <fstream>

using enum TMouseButton;

TEST_F(PianoFixture, AKeyPlaysNoteOnThenNoteOffWithTheStoredVelocities)
{
    KeyboardConfig.SetVolume(100);
    MIDIPiano.KeyNoteOn(60, 0, false);
    MIDIPiano.KeyNoteOn(60, 0, false); // auto-repeat
    MIDIPiano.KeyNoteOn(60, 0, false);
    MIDIPiano.KeyNoteOff(60, false);
    MIDIPiano.KeyNoteOff(60, false); // nothing held any more
    EXPECT_EQ(Sent(), (TTexts{"90 3C 64", "80 3C 00"}));
    EXPECT_TRUE(TracksNothing());
}

TEST_F(PianoFixture, TwoKeysOnOneNoteSoundItOnceAndTheFirstReleaseEndsIt)
{
    MIDIPiano.KeyNoteOn(62, 0, false);
    MIDIPiano.KeyNoteOn(62, 0, false);
    MIDIPiano.KeyNoteOff(62, false);
    MIDIPiano.KeyNoteOff(62, false);
    EXPECT_EQ(Sent(), (TTexts{"90 3E 67", "80 3E 00"}));
}

TEST_F(PianoFixture, ShiftAtReleaseInvertsSustainBothWays)
{
    // Without Sustain, Shift keeps the note until the next key after all are up.
    MIDIPiano.KeyNoteOn(60, 0, false);
    MIDIPiano.KeyNoteOff(60, true);
    EXPECT_EQ(Sent(), TTexts{"90 3C 67"});
    MIDIPiano.KeyNoteOn(64, 0, false);
    EXPECT_EQ(Sent(), (TTexts{"90 3C 67", "80 3C 00", "90 40 67"}));
    MIDIPiano.KeyNoteOff(64, false);

    // With Sustain, Shift stops the note at once.
    Service.ClearRecords();
    KeyboardConfig.SetSustain(true);
    MIDIPiano.KeyNoteOn(67, 0, false);
    MIDIPiano.KeyNoteOff(67, true);
    EXPECT_EQ(Sent(), (TTexts{"90 43 67", "80 43 00"}));
    EXPECT_TRUE(TracksNothing());
}

TEST_F(PianoFixture, TheSpaceBarReleasesSustainedNotesInReverseOrderOfRelease)
{
    KeyboardConfig.SetSustain(true);
    KeyboardConfig.SetFade(5);
    for (int32_t Note : {60, 64, 67})
        MIDIPiano.KeyNoteOn(Note, 0, false);
    for (int32_t Note : {60, 64, 67})
        MIDIPiano.KeyNoteOff(Note, false);
    Service.ClearRecords();
    MIDIPiano.ReleaseSustained();
    EXPECT_EQ(Sent(), (TTexts{"80 43 05", "80 40 05", "80 3C 05"}));
    MIDIPiano.ReleaseSustained();
    EXPECT_EQ(Sent().size(), 3u);
}

TEST_F(PianoFixture, ASustainedNoteStruckAgainWhileAnotherKeyIsDownGetsTwoNoteOffs)
{
    KeyboardConfig.SetSustain(true);
    MIDIPiano.KeyNoteOn(60, 0, false);
    MIDIPiano.KeyNoteOn(64, 0, false);
    MIDIPiano.KeyNoteOff(60, false);
    MIDIPiano.KeyNoteOn(60, 0, false);
    MIDIPiano.KeyNoteOff(60, false);
    EXPECT_EQ(MIDIPiano.SustainedNotes, (TArrayInteger{60, 60}));
    Service.ClearRecords();
    MIDIPiano.StopAll();
    EXPECT_EQ(Sent(), (TTexts{"80 40 00", "80 3C 00", "80 3C 00"}));
}

TEST_F(PianoFixture, VelocityFollowsVolumePedalsAndModifiers)
{
    struct TCase {
        int32_t Volume;
        bool Accent, Soft;
        int32_t Modifier;
        int32_t Velocity;
    };
    const TCase Cases[] = {
        {103, true, false, 0, 127}, {23, false, true, 0, 0},   {80, false, false, 0, 80},
        {80, false, false, 1, 104}, {80, false, false, -1, 57}, {80, true, false, 1, 80},
        {80, true, false, -1, 57},  {80, false, true, 1, 104},  {80, false, true, -1, 80},
        {80, true, true, 0, 81},    {80, true, true, 1, 80},    {80, true, true, -1, 80},
        {5, false, false, 0, 23},   {200, true, false, 0, 127},
    };
    for (const TCase& Case : Cases) {
        KeyboardConfig.SetVolume(Case.Volume);
        KeyboardConfig.SetAccent(Case.Accent);
        KeyboardConfig.SetSoft(Case.Soft);
        Service.ClearRecords();
        MIDIPiano.KeyNoteOn(50, Case.Modifier, false);
        MIDIPiano.KeyNoteOff(50, false);
        ASSERT_EQ(Service.Sent.size(), 2u);
        const uint32_t NoteOn = Service.Sent[0].Message;
        EXPECT_EQ(NoteOn & 0xFF, 0x90u);
        EXPECT_EQ(static_cast<int32_t>(NoteOn >> 16), Case.Velocity)
            << "Volume " << Case.Volume << " Accent " << Case.Accent << " Soft " << Case.Soft
            << " modifier " << Case.Modifier;
    }
}

TEST_F(PianoFixture, EachMouseButtonHoldsItsOwnNoteOnTheChannelItStartedOn)
{
    KeyboardConfig.SetFade(9);
    MIDIPiano.MouseNoteOn(Left, {Left}, 48);
    MIDIPiano.ReleaseUnheldButtons({Left});
    KeyboardConfig.SetChannel(3);
    MIDIPiano.MouseNoteOn(Right, {Left, Right}, 52);
    MIDIPiano.ReleaseUnheldButtons({Left, Right});
    MIDIPiano.MouseNoteOff(Left);
    MIDIPiano.MouseNoteOff(Right);
    MIDIPiano.MouseNoteOff(Right);
    EXPECT_EQ(Sent(), (TTexts{"90 30 67", "92 34 67", "80 30 09", "82 34 09"}));
    EXPECT_EQ(MIDIPiano.LeftChannel, 1);
    EXPECT_EQ(MIDIPiano.RightChannel, 3);
    EXPECT_TRUE(TracksNothing());
}

TEST_F(PianoFixture, AButtonWhoseReleaseWasLostEndsAtTheNextPress)
{
    MIDIPiano.MouseNoteOn(Middle, {Middle}, 40);
    MIDIPiano.MouseNoteOn(Left, {Left}, 41);
    MIDIPiano.ReleaseUnheldButtons({Left});
    MIDIPiano.MouseNoteOn(Left, {Left}, 42);
    EXPECT_EQ(Sent(), (TTexts{"90 28 67", "90 29 67", "80 28 00", "80 29 00", "90 2A 67"}));
}

TEST_F(PianoFixture, UnderSustainAFreshClickEndsTheMouseNotesAndAHeldButtonMakesAChord)
{
    KeyboardConfig.SetSustain(true);
    MIDIPiano.MouseNoteOn(Left, {Left}, 60);
    MIDIPiano.MouseNoteOff(Left);
    MIDIPiano.MouseNoteOn(Left, {Left}, 62);
    EXPECT_EQ(Sent(), (TTexts{"90 3C 67", "80 3C 00", "90 3E 67"}));

    Service.ClearRecords();
    MIDIPiano.MouseNoteOn(Right, {Left, Right}, 64);
    EXPECT_EQ(Sent(), TTexts{"90 40 67"});

    // Switching Sustain off keeps them sounding until the next mouse note.
    MIDIPiano.ReleaseUnheldButtons({});
    KeyboardConfig.SetSustain(false);
    Service.ClearRecords();
    MIDIPiano.MouseNoteOn(Left, {Left}, 65);
    EXPECT_EQ(Sent(), (TTexts{"80 3E 00", "80 40 00", "90 41 67"}));
}

TEST_F(PianoFixture, SwitchingSustainOnEndsTheNotesHeldInButtonSlots)
{
    MIDIPiano.MouseNoteOn(Left, {Left}, 60);
    MIDIPiano.ReleaseUnheldButtons({});
    KeyboardConfig.SetSustain(true);
    EXPECT_EQ(Sent(), (TTexts{"90 3C 67", "80 3C 00"}));
    EXPECT_TRUE(TracksNothing());
}

TEST_F(PianoFixture, AllNotesOffEndsMouseNotesOnlyAndStopAllEndsEverything)
{
    MIDIPiano.KeyNoteOn(70, 0, false);
    MIDIPiano.MouseNoteOn(Left, {Left}, 30);
    KeyboardConfig.SetSustain(true);
    MIDIPiano.MouseNoteOn(Right, {Left, Right}, 31);
    Service.ClearRecords();
    MIDIPiano.ReleaseMouseNotes();
    EXPECT_EQ(Sent(), (TTexts{"80 1E 00", "80 1F 00"}));
    EXPECT_EQ(MIDIPiano.HeldNotes, TArrayInteger{70});

    Service.ClearRecords();
    MIDIPiano.StopAll();
    EXPECT_EQ(Sent(), TTexts{"80 46 00"});
    Service.ClearRecords();
    MIDIPiano.StopAll();
    EXPECT_TRUE(Service.Calls.empty());
    EXPECT_TRUE(TracksNothing());
}

TEST_F(PianoFixture, ADevicePositionOutsideTheListSendsNothingButKeepsTheBookkeeping)
{
    MIDIPiano.KeyNoteOn(60, 0, false);
    KeyboardConfig.SetDeviceID(7);
    MIDIPiano.KeyNoteOn(62, 0, false);
    MIDIPiano.StopAll();
    KeyboardConfig.SetDeviceID(-1);
    MIDIPiano.MouseNoteOn(Left, {Left}, 50);
    MIDIPiano.StopAll();
    EXPECT_EQ(Sent(), TTexts{"90 3C 67"});
    EXPECT_TRUE(Errors.Messages.empty());
    EXPECT_TRUE(TracksNothing());
}

TEST_F(PianoFixture, FailedSendsAreShownOnceAndNotRepeatedByALaterStopAll)
{
    MIDIPiano.KeyNoteOn(60, 0, false);
    MIDIPiano.KeyNoteOn(64, 0, false);
    Service.FailAllSendsWith = 67;
    MIDIPiano.KeyNoteOff(60, false);
    MIDIPiano.MouseNoteOn(Left, {Left}, 50);
    Service.FailAllSendsWith = 0;
    MIDIPiano.StopAll();
    EXPECT_EQ(Errors.Messages, TTexts(2, "The hardware is busy with other data."));
    EXPECT_EQ(Sent(), (TTexts{"90 3C 67", "90 40 67", "80 40 00", "80 32 00"}));
    EXPECT_TRUE(TracksNothing());
}

TEST_F(PianoFixture, MessagesGoToThePortAndChannelStoredAtTheMomentTheyAreSent)
{
    MIDIPiano.KeyNoteOn(60, 0, false);
    MIDIDevices.Items[2].Open(1, 0);
    Service.ClearRecords();
    // Another program edits the settings file while the note sounds.
    {
        std::ofstream Edit(Folder / "Setup.ini", std::ios::trunc);
        Edit << "[Keyboard]\nChannel=4\nFade=33\nVolume=50\n[MIDI Out]\nDeviceID=2\n";
    }
    MIDIPiano.KeyNoteOff(60, false);
    MIDIPiano.KeyNoteOn(61, 0, false);
    EXPECT_EQ(Service.SentTo(1), (std::vector<uint32_t>{0x213C83, 0x323D93}));
}

TEST_F(PianoFixture, ResetSilencesEveryNoteForTheObserverAndSendsNothing)
{
    TSoundingRecorder Recorder;
    MIDIPiano.Observer = &Recorder;
    MIDIPiano.KeyNoteOn(70, 0, false);
    MIDIPiano.MouseNoteOn(Right, {Right}, 30);
    // A note beyond MIDI is sent clamped but lights nothing.
    MIDIPiano.KeyNoteOn(300, 0, false);
    EXPECT_FALSE(MIDIPiano.IsSounding(300));
    EXPECT_FALSE(MIDIPiano.IsSounding(-1));
    Recorder.Changes.clear();
    MIDIPiano.Reset();
    EXPECT_EQ(Recorder.Changes, (TTexts{"-30", "-70"}));
    EXPECT_EQ(Sent().size(), 3u);
    EXPECT_FALSE(MIDIPiano.IsSounding(70));
    MIDIPiano.Observer = nullptr;
}
