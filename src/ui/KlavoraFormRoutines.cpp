#include "ui/KlavoraFormRoutines.h"

#include <algorithm>
#include <utility>

#include "config/KlavoraConfigRoutines.h"
#include "config/MIDIPatchRoutines.h"
#include "core/MIDIPianoRoutines.h"
#include "midi/MIDIDevicesRoutines.h"
#include "support/ErrorRoutines.h"
#include "support/RangeRoutines.h"

namespace {

constexpr int32_t TickFrequency = 8;
// The channels the channel selector offers.
constexpr TRange ListedChannels{ChannelRange.Low, 12};

// A pedal that is on keeps its font style; one that is off is plain.
void ShowPedal(TFormButton& Button, bool On)
{
    if (On)
        Button.SetCaption(BlackColor, Button.Bold());
    else
        Button.SetCaption(DimColor, false);
}

using TPedalGetter = bool (TKeyboardConfig::*)() const;
using TPedalSetter = void (TKeyboardConfig::*)(bool);

// Toggles a pedal unless PresentOnly, switches off the pedal it excludes (if
// any) when it is on, and shows it.
void PresentPedal(TFormButton& Button, bool PresentOnly, TPedalGetter Get, TPedalSetter Set, TPedalGetter GetExcluded,
                  TPedalSetter SetExcluded)
{
    if (!PresentOnly)
        (KeyboardConfig.*Set)(!(KeyboardConfig.*Get)());
    const bool On = (KeyboardConfig.*Get)();
    if (On && GetExcluded != nullptr && (KeyboardConfig.*GetExcluded)())
        (KeyboardConfig.*SetExcluded)(false);
    ShowPedal(Button, On);
}

int32_t StoredProgram()
{
    return MIDIPatch.ProgramOf(KeyboardConfig.GetGroup(), KeyboardConfig.GetVoice());
}

void ShowVolumeHint(TFormTrackBar& Bar)
{
    Bar.SetHint("Voice Volume: " + std::to_string(Bar.Position()));
}

void ShowVelocityHint(TFormTrackBar& Bar)
{
    Bar.SetHint("Voice Velocity: " + std::to_string(Bar.Position()));
}

void ShowChannelHint(TFormList& List)
{
    List.SetHint("Controller Channel: " + std::to_string(List.ItemIndex() + 1));
}

// A track bar's initial fill: the range first, so that the position is
// taken whole.
void FillBar(TFormTrackBar& Bar, TRange Range, int32_t Position)
{
    Bar.SetRange(Range.Low, Range.High);
    Bar.SetFrequency(TickFrequency);
    Bar.SetPosition(Position);
    Bar.SetEnabled(true);
}

using TSettingGetter = int32_t (TKeyboardConfig::*)() const;
using TSettingSetter = void (TKeyboardConfig::*)(int32_t);

// Fills a track bar from its setting on the first call and writes its
// position back on later ones; then shows its hint.
void PresentSettingBar(TFormTrackBar& Bar, TRange Range, TSettingGetter Get, TSettingSetter Set,
                       void (*ShowHint)(TFormTrackBar&))
{
    if (Bar.Enabled())
        (KeyboardConfig.*Set)(Bar.Position());
    else
        FillBar(Bar, Range, (KeyboardConfig.*Get)());
    ShowHint(Bar);
}

// The names the device selector offers: the ports the system lists.
std::vector<std::string> ListedDeviceNames()
{
    std::vector<std::string> Names;
    for (const TMIDIDevice& Device : MIDIDevices.Items)
        if (Device.Listed)
            Names.push_back(Device.Name);
    return Names;
}

// Stores the port at Position as the output device: its name, then its
// position, each only when it changed. A start on settings that keep no
// name writes nothing while the position stays: such files play as ever
// until the user chooses a port (and a read-only folder asks no write).
void StoreDevice(int32_t Position, bool Chosen)
{
    const bool Moved = KeyboardConfig.GetDeviceID() != Position;
    const std::string Name = MIDIDevices.HasPosition(Position) ? MIDIDevices.Items[Position].Name : std::string();
    if ((Chosen || Moved) && !Name.empty() && KeyboardConfig.GetDeviceName() != Name)
        KeyboardConfig.SetDeviceName(Name);
    if (Moved)
        KeyboardConfig.SetDeviceID(Position);
}

// A stored port that is not there plays nothing: no position names it.
void StoreMissingDevice(TFormList& List)
{
    List.SetItemIndex(-1);
    if (KeyboardConfig.GetDeviceID() != -1)
        KeyboardConfig.SetDeviceID(-1);
}

std::string ChannelCaption(int32_t Channel)
{
    return std::string(Channel < 10 ? "Ch:0" : "Ch:") + std::to_string(Channel);
}

}

void TFormControlState::SetEnabled(bool Value)
{
    if (IsEnabled == Value)
        return;
    IsEnabled = Value;
    View->ShowEnabled(Id, Value);
}

void TFormControlState::SetHint(const std::string& Text)
{
    if (HintText == Text)
        return;
    HintText = Text;
    View->ShowHint(Id, Text);
}

void TFormList::SetItems(std::vector<std::string> Items)
{
    ItemTexts = std::move(Items);
    Index = -1;
    View->ShowItems(Id, ItemTexts);
}

void TFormList::SetItemIndex(int32_t Selected)
{
    Index = InRange(Selected, 0, Count() - 1) ? Selected : -1;
    View->ShowItemIndex(Id, Index);
}

TFormTrackBar::TFormTrackBar(TFormView& View, TFormControl Id)
    : TFormControlState(View, Id)
{
    IsEnabled = false;
}

void TFormTrackBar::SetRange(int32_t Min, int32_t Max)
{
    Minimum = Min;
    Maximum = std::max(Min, Max);
    Current = std::clamp(Current, Minimum, Maximum);
    Show();
}

void TFormTrackBar::SetFrequency(int32_t Frequency)
{
    TickFrequency = Frequency;
    Show();
}

void TFormTrackBar::SetPosition(int32_t Position)
{
    Current = std::clamp(Position, Minimum, Maximum);
    Show();
}

void TFormTrackBar::Show()
{
    View->ShowTrackBar(Id, Minimum, Maximum, TickFrequency, Current);
}

void TFormButton::SetCaption(TColor NewColor, bool NewBold)
{
    if (Shown && Color == NewColor && IsBold == NewBold)
        return;
    Shown = true;
    Color = NewColor;
    IsBold = NewBold;
    View->ShowCaption(Id, Color, IsBold);
}

void TFormKey::SetLit(bool On)
{
    if (IsLit == On)
        return;
    IsLit = On;
    View->ShowLit(KeyOffset, On);
}

std::string NoteName(int32_t Note)
{
    static constexpr const char* Letters[12] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};
    const int32_t Remainder = Note % 12;
    const int32_t Octave = Note / 12;
    const char* Letter = Remainder >= 0 ? Letters[Remainder] : "?";
    return Letter + std::to_string(Octave);
}

void OpenDeviceAt(int32_t Position)
{
    if (MIDIDevices.HasPosition(Position))
        MIDIDevices.Items[Position].Open(KeyboardConfig.GetChannel(), StoredProgram());
}

void CloseDeviceAt(int32_t Position)
{
    if (MIDIDevices.HasPosition(Position))
        MIDIDevices.Items[Position].Close();
}

int32_t StoredDevicePosition()
{
    const std::string Name = KeyboardConfig.GetDeviceName();
    if (Name.empty())
        return KeyboardConfig.GetDeviceID();
    if (const int32_t Listed = MIDIDevices.PositionOf(Name); Listed >= 0)
        return Listed;
    for (size_t Position = 0; Position < MIDIDevices.Items.size(); ++Position)
        if (MIDIDevices.Items[Position].Name == Name && MIDIDevices.Items[Position].Handle != 0)
            return static_cast<int32_t>(Position);
    return -1;
}

void PresentWindow(TFormView& Window)
{
    Window.PlaceWindow();
}

void PresentSoftButton(TFormButton& Button, bool PresentOnly)
{
    PresentPedal(Button, PresentOnly, &TKeyboardConfig::GetSoft, &TKeyboardConfig::SetSoft, &TKeyboardConfig::GetAccent,
                 &TKeyboardConfig::SetAccent);
}

void PresentAccentButton(TFormButton& Button, bool PresentOnly)
{
    PresentPedal(Button, PresentOnly, &TKeyboardConfig::GetAccent, &TKeyboardConfig::SetAccent,
                 &TKeyboardConfig::GetSoft, &TKeyboardConfig::SetSoft);
}

void PresentSustainButton(TFormButton& Button, bool PresentOnly)
{
    PresentPedal(Button, PresentOnly, &TKeyboardConfig::GetSustain, &TKeyboardConfig::SetSustain, nullptr, nullptr);
}

void PresentVolumeBar(TFormTrackBar& Bar)
{
    PresentSettingBar(Bar, VolumeRange, &TKeyboardConfig::GetVolume, &TKeyboardConfig::SetVolume, ShowVolumeHint);
}

void PresentVelocityBar(TFormTrackBar& Bar)
{
    PresentSettingBar(Bar, MIDIDataRange, &TKeyboardConfig::GetFade, &TKeyboardConfig::SetFade, ShowVelocityHint);
}

void PresentGroupList(TFormList& List, bool Initial)
{
    if (Initial)
        List.SetItems(MIDIPatch.GroupNames ? *MIDIPatch.GroupNames : TStringList());
    if (KeyboardConfig.GetChannel() == 10) {
        List.SetItemIndex(-1);
        List.SetEnabled(false);
        return;
    }
    if (!List.Enabled())
        List.SetEnabled(true);
    if (List.ItemIndex() == -1)
        List.SetItemIndex(KeyboardConfig.GetGroup());
    if (List.ItemIndex() != KeyboardConfig.GetGroup()) {
        KeyboardConfig.SetGroup(List.ItemIndex());
        KeyboardConfig.SetVoice(-1);
    }
}

void PresentVoiceList(TFormList& List, bool Initial)
{
    if (Initial) {
        List.SetItems(MIDIPatch.GroupVoiceNames(KeyboardConfig.GetGroup()));
        List.SetItemIndex(KeyboardConfig.GetVoice());
        return;
    }
    if (KeyboardConfig.GetChannel() == 10) {
        List.SetItemIndex(-1);
        List.SetEnabled(false);
        return;
    }
    if (!List.Enabled()) {
        List.SetEnabled(true);
        List.SetItemIndex(KeyboardConfig.GetVoice());
    }
    if (KeyboardConfig.GetVoice() == -1) {
        List.SetItems(MIDIPatch.GroupVoiceNames(KeyboardConfig.GetGroup()));
        List.SetItemIndex(0);
    }
    if (List.ItemIndex() != KeyboardConfig.GetVoice())
        KeyboardConfig.SetVoice(List.ItemIndex());
    const int32_t Position = KeyboardConfig.GetDeviceID();
    if (MIDIDevices.HasPosition(Position))
        MIDIDevices.Items[Position].SendProgramChange(KeyboardConfig.GetChannel(), StoredProgram());
}

void PresentChannelList(TFormList& List)
{
    if (List.ItemIndex() == -1) {
        if (List.Count() == 0) {
            std::vector<std::string> Channels;
            for (int32_t Channel = ListedChannels.Low; Channel <= ListedChannels.High; ++Channel)
                Channels.push_back(ChannelCaption(Channel));
            List.SetItems(std::move(Channels));
        }
        List.SetItemIndex(KeyboardConfig.GetChannel() - 1);
    } else {
        KeyboardConfig.SetChannel(List.ItemIndex() + 1);
    }
    ShowChannelHint(List);
}

bool PresentDeviceList(TFormList& List, bool Initial)
{
    if (Initial) {
        List.SetItems(ListedDeviceNames());
        const int32_t Stored = StoredDevicePosition();
        if (Stored < 0 && !KeyboardConfig.GetDeviceName().empty()) {
            ShowError(OpenErrorText(MMSYSERR_BADDEVICEID));
            StoreMissingDevice(List);
            return true;
        }
        // A stored position that names no port (settings without a name,
        // from before a port was removed) falls back to the mapper.
        List.SetItemIndex(MIDIDevices.HasPosition(Stored) ? Stored : 0);
    } else {
        CloseDeviceAt(KeyboardConfig.GetDeviceID());
    }
    try {
        StoreDevice(List.ItemIndex(), !Initial);
    } catch (const EProfileWriteError&) {
        // The notes go on to the port the settings still name: it stays open.
        OpenDeviceAt(KeyboardConfig.GetDeviceID());
        throw;
    }
    OpenDeviceAt(List.ItemIndex());
    return false;
}

bool PresentDeviceListAgain(TFormList& List, std::span<const int32_t> Returned, bool Awaited)
{
    List.SetItems(ListedDeviceNames());
    const int32_t Stored = StoredDevicePosition();
    if (!MIDIDevices.HasPosition(Stored)) {
        if (KeyboardConfig.GetDeviceName().empty()) {
            List.SetItemIndex(-1);
            return false;
        }
        StoreMissingDevice(List);
        return true;
    }
    List.SetItemIndex(Stored);
    if (KeyboardConfig.GetDeviceID() != Stored)
        KeyboardConfig.SetDeviceID(Stored);
    TMIDIDevice& Device = MIDIDevices.Items[static_cast<size_t>(Stored)];
    if (std::find(Returned.begin(), Returned.end(), Stored) != Returned.end()) {
        Device.Close();
        OpenDeviceAt(Stored);
    } else if (Awaited && Device.Handle == 0) {
        OpenDeviceAt(Stored);
    }
    return false;
}

int32_t PresentPianoKeys(std::span<TFormKey> Keys)
{
    const int32_t Lowest = 12 * KeyboardConfig.GetOctave();
    for (TFormKey& Key : Keys) {
        const int32_t Note = Key.Offset() + Lowest;
        Key.SetHint(NoteName(Note));
        Key.SetLit(MIDIPiano.IsSounding(Note));
    }
    return Lowest;
}

void PresentOctaveButtons(std::span<TFormButton> Buttons, int32_t Pressed)
{
    if (InRange(Pressed, 1, OctaveButtonCount))
        KeyboardConfig.SetOctave(Pressed - 1);
    const int32_t Current = KeyboardConfig.GetOctave();
    for (size_t Index = 0; Index < Buttons.size(); ++Index) {
        TFormButton& Button = Buttons[Index];
        const int32_t Caption = OctaveButtonNumber(Button.Control()).value_or(0);
        // "Ocatave" is the hint's own spelling, kept on purpose: do not correct it.
        Button.SetHint("Ocatave: " + std::to_string(Caption) + " - " + std::to_string(Caption + 1));
        if (static_cast<int32_t>(Index) == Current)
            Button.SetCaption(BlackColor, true);
        else
            Button.SetCaption(DimColor, false);
    }
}

void ShowSettingsInForce(const TSettingControls& Controls)
{
    Controls.Devices.SetItemIndex(KeyboardConfig.GetDeviceID());
    const int32_t Channel = KeyboardConfig.GetChannel();
    Controls.Channels.SetItemIndex(Channel - 1);
    ShowChannelHint(Controls.Channels);
    // On channel 10 the instrument lists are disabled, with no selection.
    const bool Instrument = Channel != 10;
    const int32_t Group = KeyboardConfig.GetGroup();
    Controls.Groups.SetEnabled(Instrument);
    Controls.Groups.SetItemIndex(Instrument ? Group : -1);
    Controls.Voices.SetEnabled(Instrument);
    Controls.Voices.SetItems(MIDIPatch.GroupVoiceNames(Group));
    Controls.Voices.SetItemIndex(Instrument ? KeyboardConfig.GetVoice() : -1);
    Controls.Volume.SetPosition(KeyboardConfig.GetVolume());
    Controls.Velocity.SetPosition(KeyboardConfig.GetFade());
    ShowVolumeHint(Controls.Volume);
    ShowVelocityHint(Controls.Velocity);
    PresentOctaveButtons(Controls.OctaveButtons, -1);
    ShowPedal(Controls.Soft, KeyboardConfig.GetSoft());
    ShowPedal(Controls.Sustain, KeyboardConfig.GetSustain());
    ShowPedal(Controls.Accent, KeyboardConfig.GetAccent());
}
