#include "PianoFixture.h"

#include <array>
#include <map>
#include <random>
#include <tuple>

using enum TMouseButton;

namespace {

// Counts what sounds on every (device, channel, note) from the messages the
// service accepted. A Note On counts whatever its velocity: the player answers
// each one it started with exactly one Note Off.
class TSoundingNotes {
public:
    void Follow(const TRecordingMIDIOutService& Service)
    {
        for (; Read < Service.Sent.size(); ++Read) {
            const auto& Message = Service.Sent[Read];
            const uint32_t Status = Message.Message & 0xFF;
            const int32_t Note = static_cast<int32_t>((Message.Message >> 8) & 0xFF);
            const int32_t Velocity = static_cast<int32_t>((Message.Message >> 16) & 0xFF);
            ASSERT_LE(Note, 127);
            ASSERT_LE(Velocity, 127);
            ASSERT_EQ(Message.Message >> 24, 0u);
            const auto Key = std::make_tuple(Message.DeviceID, Status & 0x0F, Note);
            if ((Status & 0xF0) == 0x90) {
                ++Count[Key];
                ++NoteCount[static_cast<size_t>(Note)];
            } else if ((Status & 0xF0) == 0x80) {
                ASSERT_GT(Count[Key], 0) << "a Note Off that answers no sounding note: device "
                                         << Message.DeviceID << " channel " << (Status & 0x0F) + 1
                                         << " note " << Note;
                --Count[Key];
                --NoteCount[static_cast<size_t>(Note)];
            }
        }
    }

    int Sounding() const
    {
        int Total = 0;
        for (const auto& [Key, Notes] : Count)
            Total += Notes;
        return Total;
    }

    // Whether the note sounds on any device and channel.
    bool Sounds(int32_t Note) const { return NoteCount[static_cast<size_t>(Note)] > 0; }

private:
    size_t Read = 0;
    std::map<std::tuple<int32_t, uint32_t, int32_t>, int> Count;
    std::array<int, 128> NoteCount{};
};

class StuckNoteHunt : public PianoFixture {
protected:
    std::mt19937 Random;
    TSoundingNotes Receiver;
    TSoundingRecorder Recorder;

    void SetUp() override
    {
        PianoFixture::SetUp();
        MIDIPiano.Observer = &Recorder;
    }

    void TearDown() override
    {
        MIDIPiano.Observer = nullptr;
        PianoFixture::TearDown();
    }

    // The player, its observer and the wire agree on every note that sounds.
    void CheckSoundingNotes()
    {
        Recorder.Changes.clear();
        for (int32_t Note = 0; Note < 128; ++Note) {
            ASSERT_EQ(Recorder.Lit[static_cast<size_t>(Note)], Receiver.Sounds(Note)) << "note " << Note;
            ASSERT_EQ(MIDIPiano.IsSounding(Note), Receiver.Sounds(Note)) << "note " << Note;
        }
    }

    int32_t Pick(int32_t Low, int32_t High) { return std::uniform_int_distribution<int32_t>(Low, High)(Random); }
    bool Coin() { return Pick(0, 1) == 1; }
    TMouseButton AnyButton() { return std::array{Left, Middle, Right}[static_cast<size_t>(Pick(0, 2))]; }
    TMouseButtons AnyButtons()
    {
        TMouseButtons Buttons;
        for (TMouseButton Button : {Left, Middle, Right})
            if (Coin())
                Buttons.Include(Button);
        return Buttons;
    }
    // Few notes, so that keys, repeats and mouse notes meet often.
    int32_t AnyNote() { return Coin() ? Pick(58, 66) : Pick(0, 127); }

    // One gesture of the player, done the way the window does it.
    void Step()
    {
        switch (Pick(0, 15)) {
        case 0: case 1: case 2:
            MIDIPiano.KeyNoteOn(AnyNote(), Pick(-1, 1), Coin());
            break;
        case 3: case 4: case 5:
            MIDIPiano.KeyNoteOff(AnyNote(), Coin());
            break;
        case 6:
            MIDIPiano.ReleaseSustained();
            break;
        case 7: case 8: {
            const TMouseButton Button = AnyButton();
            TMouseButtons Held = AnyButtons();
            Held.Include(Button);
            MIDIPiano.MouseNoteOn(Button, Held, Pick(0, 108));
            MIDIPiano.ReleaseUnheldButtons(Held);
            break;
        }
        case 9:
            MIDIPiano.MouseNoteOff(AnyButton());
            break;
        case 10:
            MIDIPiano.ReleaseMouseNotes();
            break;
        case 11:
            MIDIPiano.ReleaseUnheldButtons({});
            KeyboardConfig.SetSustain(!KeyboardConfig.GetSustain());
            break;
        case 12:
            if (Coin()) {
                KeyboardConfig.SetSoft(!KeyboardConfig.GetSoft());
                if (KeyboardConfig.GetSoft())
                    KeyboardConfig.SetAccent(false);
            } else {
                KeyboardConfig.SetAccent(!KeyboardConfig.GetAccent());
                if (KeyboardConfig.GetAccent())
                    KeyboardConfig.SetSoft(false);
            }
            break;
        case 13:
            KeyboardConfig.SetVolume(Pick(0, 140));
            KeyboardConfig.SetFade(Pick(-10, 140));
            break;
        case 14:
            if (Coin()) {
                MIDIPiano.StopAll();
                KeyboardConfig.SetChannel(Pick(1, 16));
            } else {
                ChangeDevice(Pick(0, 2));
            }
            break;
        default:
            MIDIPiano.StopAll();
            CheckSilence();
            break;
        }
    }

    void ChangeDevice(int32_t Position)
    {
        MIDIPiano.StopAll();
        MIDIDevices.Items[static_cast<size_t>(KeyboardConfig.GetDeviceID())].Close();
        KeyboardConfig.SetDeviceID(Position);
        MIDIDevices.Items[static_cast<size_t>(Position)].Open(KeyboardConfig.GetChannel(), 0);
    }

    void CheckSilence()
    {
        Receiver.Follow(Service);
        ASSERT_EQ(Receiver.Sounding(), 0);
        ASSERT_TRUE(TracksNothing());
    }
};

}

TEST_F(StuckNoteHunt, RandomPlayingNeverLeavesANoteSoundingAfterStopAll)
{
    constexpr int Operations = 100000;
    for (const uint32_t Seed : {20261208u, 7u}) {
        SCOPED_TRACE("seed " + std::to_string(Seed));
        Random.seed(Seed);
        for (int Operation = 0; Operation < Operations; ++Operation) {
            Step();
            Receiver.Follow(Service);
            CheckSoundingNotes();
            if (HasFatalFailure())
                return;
        }
        MIDIPiano.StopAll();
        CheckSilence();
        ASSERT_GT(Service.Sent.size(), 10000u);
        EXPECT_TRUE(Errors.Messages.empty());
    }
}
