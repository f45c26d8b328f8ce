#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>

#include "config/KlavoraConfigRoutines.h"
#include "support/ArrayRoutines.h"

enum class TMouseButton : uint8_t { Left = 1, Middle = 2, Right = 4 };

// A set of mouse buttons held down.
class TMouseButtons {
public:
    constexpr TMouseButtons() = default;
    constexpr TMouseButtons(std::initializer_list<TMouseButton> Buttons)
    {
        for (TMouseButton Button : Buttons)
            Include(Button);
    }
    constexpr bool Contains(TMouseButton Button) const { return (Bits & static_cast<uint8_t>(Button)) != 0; }
    constexpr void Include(TMouseButton Button) { Bits |= static_cast<uint8_t>(Button); }
    constexpr void Exclude(TMouseButton Button) { Bits &= static_cast<uint8_t>(~static_cast<uint8_t>(Button)); }
    constexpr bool Empty() const { return Bits == 0; }
    constexpr bool operator==(const TMouseButtons&) const = default;

private:
    uint8_t Bits = 0;
};

// Told when a note starts sounding (its first instance) and when it stops
// (its last one), right after the message went out. It must neither send nor
// call the player's operations.
class TSoundingObserver {
public:
    virtual void SoundingChanged(int32_t Note, bool Sounding) = 0;

protected:
    ~TSoundingObserver() = default;
};

// The note player: turns note requests from keys and mouse buttons into Note
// On and Note Off, applies the software pedals, and tracks every note it has
// started and not yet stopped. It keeps no copy of any setting: the channel,
// velocities, pedals and output device are read from the settings store by
// every operation.
struct TMIDIPiano {
    TArrayInteger HeldNotes;
    TArrayInteger SustainedNotes;
    TArrayInteger MouseSustainedNotes;
    int32_t LeftNote = -1;
    int32_t MiddleNote = -1;
    int32_t RightNote = -1;
    int32_t LeftChannel = -1;
    int32_t MiddleChannel = -1;
    int32_t RightChannel = -1;
    // How many instances of each note sound now: a note held by a key, by a
    // mouse button and kept by Sustain counts once for each.
    std::array<uint32_t, 128> SoundingCounts{};
    TSoundingObserver* Observer = nullptr;

    // Whether a Note On of the note still waits for its Note Off.
    bool IsSounding(int32_t Note) const;

    // Forgets every note without sending anything; the observer sees each go silent.
    void Reset();
    // Modifier: +1 accents this note, -1 softens it, 0 leaves the pedals alone.
    void KeyNoteOn(int32_t Note, int32_t Modifier, bool Shift);
    void KeyNoteOff(int32_t Note, bool Shift);
    void ReleaseSustained();
    void ReleaseKeyNotes();
    // Held is the set of buttons down, the pressed one included.
    void MouseNoteOn(TMouseButton Button, TMouseButtons Held, int32_t Note);
    void MouseNoteOff(TMouseButton Button);
    void ReleaseUnheldButtons(TMouseButtons Held);
    void ReleaseMouseNotes();
    void StopAll();

private:
    // A button's slot: the note it holds (-1: none) and the channel that
    // note started on.
    struct TButtonSlot {
        int32_t& Note;
        int32_t& Channel;
    };
    TButtonSlot Slot(TMouseButton Button);
    void NoteOn(const TNoteSettings& Settings, int32_t Note, int32_t Velocity);
    void NoteOff(const TNoteSettings& Settings, int32_t Channel, int32_t Note);
    // One instance of the note more (Started) or fewer; the observer hears
    // of the first and of the last.
    void CountSounding(int32_t Note, bool Started);
    // Sends a Note Off for every note of the list, last first, emptying it.
    void ReleaseFromLast(TArrayInteger& Notes, const TNoteSettings& Settings);
    void ReleaseMouseNotes(const TNoteSettings& Settings);
    // Ends the note a button slot holds, whatever the Sustain pedal.
    void ReleaseSlot(TMouseButton Button, const TNoteSettings& Settings);
    // Ends what the mouse left sounding under Sustain.
    void FlushMouseSustained(const TNoteSettings& Settings);
};

extern TMIDIPiano MIDIPiano;

// Start step: Reset. Stop step: Reset and release the lists; nothing is sent.
void MIDIPianoStart();
void MIDIPianoStop();
