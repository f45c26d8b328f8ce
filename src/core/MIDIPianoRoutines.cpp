#include "core/MIDIPianoRoutines.h"

#include "config/KlavoraConfigRoutines.h"
#include "midi/MIDIDevicesRoutines.h"

TMIDIPiano MIDIPiano;

namespace {

// Enough room that playing never grows a list.
constexpr size_t ReservedNotes = 128;

constexpr TMouseButton MouseButtons[] = {TMouseButton::Left, TMouseButton::Middle, TMouseButton::Right};

// Every message goes to the port at the device position stored right now; a
// position that names no port sends nothing, and the bookkeeping goes on as
// after a port failure.
TMIDIDevice* CurrentPort()
{
    const int32_t Position = KeyboardConfig.GetDeviceID();
    return MIDIDevices.HasPosition(Position) ? &MIDIDevices.Items[static_cast<size_t>(Position)] : nullptr;
}

void SendNoteOn(int32_t Channel, int32_t Note, int32_t Velocity)
{
    if (TMIDIDevice* Port = CurrentPort())
        Port->SendNoteOn(Channel, Note, Velocity);
}

void SendNoteOff(int32_t Channel, int32_t Note)
{
    const int32_t Fade = KeyboardConfig.GetFade();
    if (TMIDIDevice* Port = CurrentPort())
        Port->SendNoteOff(Channel, Note, Fade);
}

// A modifier inverts its own pedal for one note and ignores the other pedal.
int32_t VelocityOffset(int32_t Modifier)
{
    constexpr int32_t AccentOffset = 127 - MaxVolume;
    constexpr int32_t SoftOffset = -MinVolume;
    if (Modifier > 0)
        return KeyboardConfig.GetAccent() ? 0 : AccentOffset;
    if (Modifier < 0)
        return KeyboardConfig.GetSoft() ? 0 : SoftOffset;
    int32_t Offset = 0;
    if (KeyboardConfig.GetAccent())
        Offset += AccentOffset;
    if (KeyboardConfig.GetSoft())
        Offset += SoftOffset;
    return Offset;
}

int32_t NoteOnVelocity(int32_t Modifier)
{
    return KeyboardConfig.GetVolume() + VelocityOffset(Modifier);
}

// The last position of the note in the list, or -1.
int32_t IndexOfHeldNote(const TArrayInteger& HeldNotes, int32_t Note)
{
    for (auto Position = static_cast<int32_t>(HeldNotes.size()) - 1; Position >= 0; --Position)
        if (HeldNotes[static_cast<size_t>(Position)] == Note)
            return Position;
    return -1;
}

bool IsSustained()
{
    return KeyboardConfig.GetSustain();
}

// Sends a Note Off for every note of the list, last first, emptying it.
void ReleaseFromLast(TArrayInteger& Notes, int32_t Channel)
{
    for (auto Position = static_cast<int32_t>(Notes.size()) - 1; Position >= 0; --Position) {
        SendNoteOff(Channel, Notes[static_cast<size_t>(Position)]);
        DeleteAt(Notes, Position);
    }
}

}

int32_t& TMIDIPiano::SlotNote(TMouseButton Button)
{
    switch (Button) {
    case TMouseButton::Left: return LeftNote;
    case TMouseButton::Middle: return MiddleNote;
    case TMouseButton::Right: break;
    }
    return RightNote;
}

int32_t& TMIDIPiano::SlotChannel(TMouseButton Button)
{
    switch (Button) {
    case TMouseButton::Left: return LeftChannel;
    case TMouseButton::Middle: return MiddleChannel;
    case TMouseButton::Right: break;
    }
    return RightChannel;
}

void TMIDIPiano::Reset()
{
    LeftNote = MiddleNote = RightNote = -1;
    LeftChannel = MiddleChannel = RightChannel = -1;
    MouseSustainedNotes.clear();
    SustainedNotes.clear();
    HeldNotes.clear();
    MouseSustainedNotes.reserve(ReservedNotes);
    SustainedNotes.reserve(ReservedNotes);
    HeldNotes.reserve(ReservedNotes);
}

void TMIDIPiano::KeyNoteOn(int32_t Note, int32_t Modifier, bool)
{
    const int32_t Channel = KeyboardConfig.GetChannel();
    const int32_t Velocity = NoteOnVelocity(Modifier);
    const int32_t Held = IndexOfHeldNote(HeldNotes, Note);
    // The first key pressed after all keys were up ends what sustain kept sounding.
    if (HeldNotes.empty())
        ReleaseSustained();
    if (Held != -1)
        return;
    SendNoteOn(Channel, Note, Velocity);
    HeldNotes.push_back(Note);
}

void TMIDIPiano::KeyNoteOff(int32_t Note, bool Shift)
{
    const int32_t Channel = KeyboardConfig.GetChannel();
    const int32_t Held = IndexOfHeldNote(HeldNotes, Note);
    if (Held == -1)
        return;
    // Shift at release inverts the Sustain pedal for this note.
    if (IsSustained() == Shift)
        SendNoteOff(Channel, Note);
    else
        SustainedNotes.push_back(Note);
    DeleteAt(HeldNotes, Held);
}

void TMIDIPiano::ReleaseSustained()
{
    if (SustainedNotes.empty())
        return;
    ReleaseFromLast(SustainedNotes, KeyboardConfig.GetChannel());
}

void TMIDIPiano::ReleaseKeyNotes()
{
    const int32_t Channel = KeyboardConfig.GetChannel();
    ReleaseFromLast(HeldNotes, Channel);
    ReleaseFromLast(SustainedNotes, Channel);
}

void TMIDIPiano::MouseNoteOn(TMouseButton Button, TMouseButtons Held, int32_t Note)
{
    const int32_t Channel = KeyboardConfig.GetChannel();
    if (!IsSustained()) {
        FlushMouseSustained();
        MouseNoteOff(Button);
        SlotNote(Button) = Note;
        SlotChannel(Button) = Channel;
    } else {
        // A fresh click ends everything the mouse had sounding; while another
        // button is held the new note joins the chord.
        Held.Exclude(Button);
        if (Held.Empty())
            ReleaseMouseNotes();
        MouseSustainedNotes.push_back(Note);
    }
    SendNoteOn(Channel, Note, NoteOnVelocity(0));
}

void TMIDIPiano::MouseNoteOff(TMouseButton Button)
{
    if (IsSustained())
        return;
    ReleaseSlot(Button);
}

void TMIDIPiano::ReleaseUnheldButtons(TMouseButtons Held)
{
    if (IsSustained())
        return;
    for (TMouseButton Button : MouseButtons)
        if (!Held.Contains(Button) && SlotNote(Button) != -1)
            MouseNoteOff(Button);
}

void TMIDIPiano::ReleaseMouseNotes()
{
    for (TMouseButton Button : MouseButtons)
        ReleaseSlot(Button);
    FlushMouseSustained();
}

void TMIDIPiano::StopAll()
{
    ReleaseKeyNotes();
    ReleaseMouseNotes();
}

void TMIDIPiano::ReleaseSlot(TMouseButton Button)
{
    int32_t& Note = SlotNote(Button);
    if (Note == -1)
        return;
    SendNoteOff(SlotChannel(Button), Note);
    Note = -1;
}

void TMIDIPiano::FlushMouseSustained()
{
    if (MouseSustainedNotes.empty())
        return;
    const int32_t Channel = KeyboardConfig.GetChannel();
    for (int32_t Note : MouseSustainedNotes)
        SendNoteOff(Channel, Note);
    MouseSustainedNotes.clear();
}

void MIDIPianoStart()
{
    MIDIPiano.Reset();
}

void MIDIPianoStop()
{
    MIDIPiano.Reset();
    MIDIPiano.HeldNotes = {};
    MIDIPiano.SustainedNotes = {};
    MIDIPiano.MouseSustainedNotes = {};
}
