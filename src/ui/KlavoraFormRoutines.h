#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "ui/KlavoraFormView.h"

// The routines that bind the main window's controls to the settings store.
// Each fills its control on the first call, writes the control's value back
// on a later one (with what follows from it: switching the port, sending a
// program change), and refreshes the control's look. They keep no state: the
// controls hold what they show, and the settings store every choice.

// A control as the form logic keeps it: what it shows now. Each change goes
// on to the view at once.
class TFormControlState {
public:
    TFormControlState(TFormView& View, TFormControl Id)
        : View(&View)
        , Id(Id)
    {
    }

    TFormControl Control() const { return Id; }
    bool Enabled() const { return IsEnabled; }
    void SetEnabled(bool Value);
    const std::string& Hint() const { return HintText; }
    void SetHint(const std::string& Text);

protected:
    TFormView* View;
    TFormControl Id;
    bool IsEnabled = true;
    std::string HintText;
};

// A drop-down list that cannot be edited, its items of one fixed height.
class TFormList : public TFormControlState {
public:
    using TFormControlState::TFormControlState;

    const std::vector<std::string>& Items() const { return ItemTexts; }
    int32_t Count() const { return static_cast<int32_t>(ItemTexts.size()); }
    // The selected item, -1 when none is.
    int32_t ItemIndex() const { return Index; }
    // Replaces the items; nothing is selected then.
    void SetItems(std::vector<std::string> Items);
    // Selects the item at Index, or nothing when the list has no such item.
    void SetItemIndex(int32_t Index);

private:
    std::vector<std::string> ItemTexts;
    int32_t Index = -1;
};

// A horizontal track bar. It is created disabled: a disabled bar has not
// been filled yet.
class TFormTrackBar : public TFormControlState {
public:
    TFormTrackBar(TFormView& View, TFormControl Id);

    int32_t Min() const { return Minimum; }
    int32_t Max() const { return Maximum; }
    int32_t Frequency() const { return TickFrequency; }
    int32_t Position() const { return Current; }
    // The position stays within the range, as a track bar keeps it.
    void SetRange(int32_t Min, int32_t Max);
    void SetFrequency(int32_t Frequency);
    void SetPosition(int32_t Position);

private:
    void Show();

    int32_t Minimum = 0;
    int32_t Maximum = 10;
    int32_t TickFrequency = 1;
    int32_t Current = 0;
};

// A button whose caption shows a state: its colour and boldness.
class TFormButton : public TFormControlState {
public:
    using TFormControlState::TFormControlState;

    TColor CaptionColor() const { return Color; }
    bool Bold() const { return IsBold; }
    void SetCaption(TColor Color, bool Bold);

private:
    // Until a routine sets the caption, the toolkit's own colour shows.
    bool Shown = false;
    TColor Color = BlackColor;
    bool IsBold = false;
};

// An on-screen piano key, lit while its note sounds.
class TFormKey : public TFormControlState {
public:
    TFormKey(TFormView& View, int32_t Offset)
        : TFormControlState(View, PianoKey(Offset))
        , KeyOffset(Offset)
    {
    }

    int32_t Offset() const { return KeyOffset; }
    bool Lit() const { return IsLit; }
    void SetLit(bool On);

private:
    int32_t KeyOffset;
    bool IsLit = false;
};

// The name of a MIDI note, sharps only, octaves counted from 0 at note 0
// ("C5" for 60, "?0" for -1).
std::string NoteName(int32_t Note);

// The port at a device position, opened with the stored channel and the
// stored instrument's program, or closed; a position that names no port is
// left alone.
void OpenDeviceAt(int32_t Position);
void CloseDeviceAt(int32_t Position);

// The position the stored output device has now: the port of the stored name
// wherever it stands (an unlisted one while it is still open), or, for
// settings that keep no name, the stored position. -1 when no port of the
// stored name is there.
int32_t StoredDevicePosition();

void PresentWindow(TFormView& Window);
// PresentOnly false toggles the stored pedal first.
void PresentSoftButton(TFormButton& Button, bool PresentOnly);
void PresentAccentButton(TFormButton& Button, bool PresentOnly);
void PresentSustainButton(TFormButton& Button, bool PresentOnly);
void PresentVolumeBar(TFormTrackBar& Bar);
void PresentVelocityBar(TFormTrackBar& Bar);
void PresentGroupList(TFormList& List, bool Initial);
void PresentVoiceList(TFormList& List, bool Initial);
void PresentChannelList(TFormList& List);
// The device list: a stored port that is not there is told once, shows no
// choice and plays nothing. Returns whether the stored port is missing.
bool PresentDeviceList(TFormList& List, bool Initial);
// After the device list was read again: the stored position follows the
// stored port, an open port that came back (Returned) is connected anew, a
// port that was missing (Awaited) opens once it is there, and the list shows
// the ports listed now. Returns whether the stored port is missing.
bool PresentDeviceListAgain(TFormList& List, std::span<const int32_t> Returned, bool Awaited);
// Keys in the order Piano0 .. Piano24, each lit while its note sounds.
// Returns the note of Piano0.
int32_t PresentPianoKeys(std::span<TFormKey> Keys);
// Buttons in the order "1" .. "8"; Pressed is 1..8, or -1 for none.
void PresentOctaveButtons(std::span<TFormButton> Buttons, int32_t Pressed);

// The controls of the window that show a setting.
struct TSettingControls {
    TFormList& Devices;
    TFormList& Groups;
    TFormList& Voices;
    TFormList& Channels;
    TFormTrackBar& Volume;
    TFormTrackBar& Velocity;
    std::span<TFormButton> OctaveButtons;
    TFormButton& Soft;
    TFormButton& Sustain;
    TFormButton& Accent;
};

// Shows in every control the value the settings hold, writing nothing and
// sending nothing: after a write that failed, the window shows what is in
// force rather than what the user asked for. (The piano keys' hints follow
// the octave with PresentPianoKeys.)
void ShowSettingsInForce(const TSettingControls& Controls);
