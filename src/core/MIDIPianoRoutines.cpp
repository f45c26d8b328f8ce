#include "core/MIDIPianoRoutines.h"

#include "config/KlavoraConfigRoutines.h"
#include "midi/MIDIDevicesRoutines.h"
#include "support/RangeRoutines.h"

TMIDIPiano MIDIPiano;

namespace {

// Enough room that playing never grows a list.
constexpr size_t ReservedNotes = 128;

constexpr TMouseButton MouseButtons[] = {TMouseButton::Left, TMouseButton::Middle, TMouseButton::Right};

// Every message goes to the port at the device position stored right now; a
// position that names no port sends nothing, and the bookkeeping goes on as
// after a port failure.
TMIDIDevice* PortAt(const TNoteSettings& Settings)
{
    return MIDIDevices.HasPosition(Settings.DeviceID) ? &MIDIDevices.Items[static_cast<size_t>(Settings.DeviceID)]
                                                      : nullptr;
}

// A modifier inverts its own pedal for one note and ignores the other pedal.
int32_t VelocityOffset(int32_t Modifier, const TNoteSettings& Settings)
{
    constexpr int32_t AccentOffset = MIDIDataRange.High - MaxVolume;
    constexpr int32_t SoftOffset = -MinVolume;
    if (Modifier > 0)
        return Settings.Accent ? 0 : AccentOffset;
    if (Modifier < 0)
        return Settings.Soft ? 0 : SoftOffset;
    int32_t Offset = 0;
    if (Settings.Accent)
        Offset += AccentOffset;
    if (Settings.Soft)
        Offset += SoftOffset;
    return Offset;
}

int32_t NoteOnVelocity(int32_t Modifier, const TNoteSettings& Settings)
{
    return Settings.Volume + VelocityOffset(Modifier, Settings);
}

// The last position of the note in the list, or -1.
int32_t IndexOfHeldNote(const TArrayInteger& HeldNotes, int32_t Note)
{
    for (auto Position = static_cast<int32_t>(HeldNotes.size()) - 1; Position >= 0; --Position)
        if (HeldNotes[static_cast<size_t>(Position)] == Note)
            return Position;
    return -1;
}

bool IsMIDINote(int32_t Note)
{
    return InRange(Note, MIDIDataRange);
}

}

bool TMIDIPiano::IsSounding(int32_t Note) const
{
    return IsMIDINote(Note) && SoundingCounts[static_cast<size_t>(Note)] > 0;
}

// The bookkeeping goes on whether or not the port took the message, so a
// note counts as sounding from its Note On until its Note Off.
void TMIDIPiano::NoteOn(const TNoteSettings& Settings, int32_t Note, int32_t Velocity)
{
    if (TMIDIDevice* Port = PortAt(Settings))
        Port->SendNoteOn(Settings.Channel, Note, Velocity);
    CountSounding(Note, true);
}

void TMIDIPiano::NoteOff(const TNoteSettings& Settings, int32_t Channel, int32_t Note)
{
    if (TMIDIDevice* Port = PortAt(Settings))
        Port->SendNoteOff(Channel, Note, Settings.Fade);
    CountSounding(Note, false);
}

void TMIDIPiano::CountSounding(int32_t Note, bool Started)
{
    if (!IsMIDINote(Note))
        return;
    uint32_t& Count = SoundingCounts[static_cast<size_t>(Note)];
    const bool FirstOrLast = Started ? Count++ == 0 : --Count == 0;
    if (FirstOrLast && Observer != nullptr)
        Observer->SoundingChanged(Note, Started);
}

void TMIDIPiano::ReleaseFromLast(TArrayInteger& Notes, const TNoteSettings& Settings)
{
    for (auto Position = static_cast<int32_t>(Notes.size()) - 1; Position >= 0; --Position) {
        NoteOff(Settings, Settings.Channel, Notes[static_cast<size_t>(Position)]);
        DeleteAt(Notes, Position);
    }
}

TMIDIPiano::TButtonSlot TMIDIPiano::Slot(TMouseButton Button)
{
    switch (Button) {
    case TMouseButton::Left: return {LeftNote, LeftChannel};
    case TMouseButton::Middle: return {MiddleNote, MiddleChannel};
    case TMouseButton::Right: break;
    }
    return {RightNote, RightChannel};
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
    for (size_t Note = 0; Note < SoundingCounts.size(); ++Note) {
        if (SoundingCounts[Note] == 0)
            continue;
        SoundingCounts[Note] = 0;
        if (Observer != nullptr)
            Observer->SoundingChanged(static_cast<int32_t>(Note), false);
    }
}

// Each operation reads the settings once, when it starts: its messages all
// go out with the settings of that moment.
void TMIDIPiano::KeyNoteOn(int32_t Note, int32_t Modifier, bool)
{
    const TNoteSettings Settings = KeyboardConfig.GetNoteSettings();
    const int32_t Held = IndexOfHeldNote(HeldNotes, Note);
    // The first key pressed after all keys were up ends what sustain kept sounding.
    if (HeldNotes.empty())
        ReleaseFromLast(SustainedNotes, Settings);
    if (Held != -1)
        return;
    NoteOn(Settings, Note, NoteOnVelocity(Modifier, Settings));
    HeldNotes.push_back(Note);
}

void TMIDIPiano::KeyNoteOff(int32_t Note, bool Shift)
{
    const int32_t Held = IndexOfHeldNote(HeldNotes, Note);
    if (Held == -1)
        return;
    const TNoteSettings Settings = KeyboardConfig.GetNoteSettings();
    // Shift at release inverts the Sustain pedal for this note.
    if (Settings.Sustain == Shift)
        NoteOff(Settings, Settings.Channel, Note);
    else
        SustainedNotes.push_back(Note);
    DeleteAt(HeldNotes, Held);
}

void TMIDIPiano::ReleaseSustained()
{
    if (!SustainedNotes.empty())
        ReleaseFromLast(SustainedNotes, KeyboardConfig.GetNoteSettings());
}

void TMIDIPiano::ReleaseKeyNotes()
{
    if (HeldNotes.empty() && SustainedNotes.empty())
        return;
    const TNoteSettings Settings = KeyboardConfig.GetNoteSettings();
    ReleaseFromLast(HeldNotes, Settings);
    ReleaseFromLast(SustainedNotes, Settings);
}

void TMIDIPiano::MouseNoteOn(TMouseButton Button, TMouseButtons Held, int32_t Note)
{
    const TNoteSettings Settings = KeyboardConfig.GetNoteSettings();
    if (!Settings.Sustain) {
        FlushMouseSustained(Settings);
        ReleaseSlot(Button, Settings);
        const TButtonSlot Holding = Slot(Button);
        Holding.Note = Note;
        Holding.Channel = Settings.Channel;
    } else {
        // A fresh click ends everything the mouse had sounding; while another
        // button is held the new note joins the chord.
        Held.Exclude(Button);
        if (Held.Empty())
            ReleaseMouseNotes(Settings);
        MouseSustainedNotes.push_back(Note);
    }
    NoteOn(Settings, Note, NoteOnVelocity(0, Settings));
}

void TMIDIPiano::MouseNoteOff(TMouseButton Button)
{
    // Every release in the window comes here: one with nothing to end reads nothing.
    if (Slot(Button).Note == -1)
        return;
    const TNoteSettings Settings = KeyboardConfig.GetNoteSettings();
    if (!Settings.Sustain)
        ReleaseSlot(Button, Settings);
}

void TMIDIPiano::ReleaseUnheldButtons(TMouseButtons Held)
{
    bool Unheld = false;
    for (TMouseButton Button : MouseButtons)
        Unheld = Unheld || (!Held.Contains(Button) && Slot(Button).Note != -1);
    if (!Unheld)
        return;
    const TNoteSettings Settings = KeyboardConfig.GetNoteSettings();
    if (Settings.Sustain)
        return;
    for (TMouseButton Button : MouseButtons)
        if (!Held.Contains(Button))
            ReleaseSlot(Button, Settings);
}

void TMIDIPiano::ReleaseMouseNotes()
{
    if (LeftNote != -1 || MiddleNote != -1 || RightNote != -1 || !MouseSustainedNotes.empty())
        ReleaseMouseNotes(KeyboardConfig.GetNoteSettings());
}

void TMIDIPiano::StopAll()
{
    ReleaseKeyNotes();
    ReleaseMouseNotes();
}

void TMIDIPiano::ReleaseMouseNotes(const TNoteSettings& Settings)
{
    for (TMouseButton Button : MouseButtons)
        ReleaseSlot(Button, Settings);
    FlushMouseSustained(Settings);
}

void TMIDIPiano::ReleaseSlot(TMouseButton Button, const TNoteSettings& Settings)
{
    const TButtonSlot Holding = Slot(Button);
    if (Holding.Note == -1)
        return;
    NoteOff(Settings, Holding.Channel, Holding.Note);
    Holding.Note = -1;
}

void TMIDIPiano::FlushMouseSustained(const TNoteSettings& Settings)
{
    for (int32_t Note : MouseSustainedNotes)
        NoteOff(Settings, Settings.Channel, Note);
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
