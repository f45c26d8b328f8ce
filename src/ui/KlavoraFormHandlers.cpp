#include "ui/KlavoraFormHandlers.h"

#include <utility>

#include "config/KlavoraConfigRoutines.h"
#include "config/MIDIKeymappingRoutines.h"
#include "midi/MIDIDevicesRoutines.h"
#include "support/ErrorRoutines.h"
#include "support/ProgramFolderRoutines.h"
#include "support/RangeRoutines.h"
#include "support/VCLRoutines.h"
#include "ui/ErrorBoxRoutines.h"

namespace {

// The space bar's virtual-key code.
constexpr uint16_t SpaceBar = 0x20;

// The note a mapped PC key plays at the stored octave, or -1 when the key is
// not mapped or its note lies outside 0..127.
int32_t KeyNote(uint16_t Key)
{
    const int32_t Offset = MIDIKeymapping.FindNoteOffset(Key);
    if (Offset < 0)
        return -1;
    // An offset from the file has no upper bound: add in 64 bits.
    const int64_t Note = int64_t{Offset} + 12 * int64_t{KeyboardConfig.GetOctave()};
    return Note <= MIDIDataRange.High ? static_cast<int32_t>(Note) : -1;
}

template <size_t... Index>
std::array<TFormButton, sizeof...(Index)> MakeOctaveButtons(TFormView& View, std::index_sequence<Index...>)
{
    return {TFormButton(View, OctaveButton(Index))...};
}

template <size_t... Index>
std::array<TFormKey, sizeof...(Index)> MakePianoKeys(TFormView& View, std::index_sequence<Index...>)
{
    return {TFormKey(View, Index)...};
}

}

TFormHandlers::TFormHandlers(TFormView& View)
    : ComboBox1(View, TFormControl::ComboBox1)
    , ComboBox2(View, TFormControl::ComboBox2)
    , ComboBox3(View, TFormControl::ComboBox3)
    , ComboBox5(View, TFormControl::ComboBox5)
    , TrackBar1(View, TFormControl::TrackBar1)
    , TrackBar2(View, TFormControl::TrackBar2)
    , OctaveButtons(MakeOctaveButtons(View, std::make_index_sequence<OctaveButtonCount>()))
    , PianoKeys(MakePianoKeys(View, std::make_index_sequence<PianoKeyCount>()))
    , Button24(View, TFormControl::Button24)
    , Button22(View, TFormControl::Button22)
    , Button1(View, TFormControl::Button1)
    , View(View)
{
}

TFormHandlers::~TFormHandlers()
{
    FormDestroy();
}

void TFormHandlers::FormCreate()
{
    MIDIPiano.Observer = this;
    ApplySettings(true);
}

void TFormHandlers::FormDestroy()
{
    if (MIDIPiano.Observer == this)
        MIDIPiano.Observer = nullptr;
    MIDIPiano.StopAll();
}

template <typename TStep>
void TFormHandlers::StoreStep(TStep&& Step)
{
    ++StoreDepth;
    try {
        Step();
    } catch (const EProfileWriteError& Error) {
        if (FailedWrite.empty())
            FailedWrite = Error.what();
    }
    if (--StoreDepth > 0 || FailedWrite.empty())
        return;
    ShowSettingsInForce(
        {ComboBox1, ComboBox2, ComboBox3, ComboBox5, TrackBar1, TrackBar2, OctaveButtons, Button24, Button22, Button1});
    PresentKeys();
    ShowError(std::exchange(FailedWrite, std::string()));
}

void TFormHandlers::ApplySettings(bool Initial)
{
    // A settings file that cannot be written stops no step but its own: the
    // window still fills every control, and says so once.
    StoreStep([&] {
        PresentWindow(View);
        StoreStep([&] { AwaitingStoredDevice = PresentDeviceList(ComboBox1, true); });
        StoreStep([&] { PresentGroupList(ComboBox2, Initial); });
        StoreStep([&] { PresentVoiceList(ComboBox3, Initial); });
        ComboBox5Change();
        PresentOctaveButtons(OctaveButtons, -1);
        PresentKeys();
        StoreStep([&] { PresentVolumeBar(TrackBar1); });
        StoreStep([&] { PresentVelocityBar(TrackBar2); });
        StoreStep([&] { PresentSustainButton(Button22, Initial); });
        StoreStep([&] { PresentSoftButton(Button24, Initial); });
        StoreStep([&] { PresentAccentButton(Button1, Initial); });
    });
}

void TFormHandlers::DisableFocus()
{
    View.TakeFocusBack();
}

void TFormHandlers::FormActivate()
{
    DisableFocus();
}

void TFormHandlers::FormDeactivate()
{
    // An error box taking the keyboard leaves the keys followed.
    if (!ErrorBoxShowing())
        ReleaseKeysDown();
}

void TFormHandlers::ListDropDown()
{
    ReleaseKeysDown();
}

void TFormHandlers::ComboBox1DropDown()
{
    ListDropDown();
    ReadDevicesAgain();
}

void TFormHandlers::ListCloseUp()
{
    DisableFocus();
}

void TFormHandlers::DevicesChanged()
{
    ReadDevicesAgain();
}

void TFormHandlers::ReadDevicesAgain()
{
    const std::vector<int32_t> Returned = MIDIDevices.Refresh();
    StoreStep([&] { AwaitingStoredDevice = PresentDeviceListAgain(ComboBox1, Returned, AwaitingStoredDevice); });
}

TFormHandlers::TKeyDown* TFormHandlers::FindKeyDown(uint16_t Key)
{
    for (size_t Index = 0; Index < KeysDownCount; ++Index)
        if (KeysDown[Index].Key == Key)
            return &KeysDown[Index];
    return nullptr;
}

void TFormHandlers::FormKeyDown(uint16_t Key, TShiftState Shift)
{
    if (Key == SpaceBar)
        MIDIPiano.ReleaseSustained();
    // A press of a key that is down already is its auto-repeat: the key's
    // note sounds once until its release.
    if (const TKeyDown* Down = FindKeyDown(Key)) {
        if (!Down->WentUp)
            return;
        // It went up under a box and is down again before the window ended its note.
        ReleaseKeysThatWentUp();
    }
    const int32_t Note = KeyNote(Key);
    if (Note < 0)
        return;
    if (KeysDownCount < MaxKeysDown)
        KeysDown[KeysDownCount++] = {Key, Note, false, {}};
    const int32_t Modifier = Shift.Alt == Shift.Ctrl ? 0 : (Shift.Alt ? 1 : -1);
    MIDIPiano.KeyNoteOn(Note, Modifier, Shift.Shift);
}

void TFormHandlers::FormKeyUp(uint16_t Key, TShiftState Shift)
{
    if (!ErrorBoxShowing()) {
        KeyReleased(Key, Shift);
        return;
    }
    if (TKeyDown* Down = FindKeyDown(Key)) {
        Down->WentUp = true;
        Down->UpShift = Shift;
    }
}

void TFormHandlers::KeyReleased(uint16_t Key, TShiftState Shift)
{
    int32_t Note = -1;
    if (TKeyDown* Down = FindKeyDown(Key)) {
        Note = Down->Note;
        *Down = KeysDown[--KeysDownCount];
    } else {
        Note = KeyNote(Key);
    }
    if (Note >= 0)
        MIDIPiano.KeyNoteOff(Note, Shift.Shift);
}

// Each key event may be seen more than once (natively, then by each
// receiver): the marks stay the same.
void TFormHandlers::KeySeenUnderBox(bool Released, uint16_t Key, TShiftState Shift)
{
    if (Released) {
        FormKeyUp(Key, Shift);
    } else if (TKeyDown* Down = FindKeyDown(Key)) {
        // Down again before the box went: it sounds on as if never released.
        Down->WentUp = false;
    }
}

void TFormHandlers::ReleaseKeysDown()
{
    for (size_t Index = 0; Index < KeysDownCount; ++Index)
        KeysDown[Index].WentUp = true;
    ReleaseKeysThatWentUp();
}

void TFormHandlers::ReleaseKeysThatWentUp()
{
    // The last pressed first. Each release may bring up a box of its own,
    // under which more keys go up: the search starts again after each.
    for (size_t Index = KeysDownCount; Index > 0 && !ErrorBoxShowing();) {
        const TKeyDown& Down = KeysDown[--Index];
        if (Down.WentUp) {
            KeyReleased(Down.Key, Down.UpShift);
            Index = KeysDownCount;
        }
    }
}

void TFormHandlers::ReleaseWhatWentUp()
{
    ReleaseKeysThatWentUp();
    if (!ErrorBoxShowing())
        MIDIPiano.ReleaseUnheldButtons(View.MouseButtonsDown());
}

void TFormHandlers::FormMouseUp(TMouseButton Button)
{
    DisableFocus();
    MIDIPiano.MouseNoteOff(Button);
}

void TFormHandlers::ControlMouseUp(TMouseButton Button)
{
    MIDIPiano.MouseNoteOff(Button);
}

void TFormHandlers::KeyboardButtonMouseDown(int32_t Offset, TMouseButton Button, TMouseButtons Held)
{
    Held.Include(Button);
    const int32_t Note = Offset + 12 * KeyboardConfig.GetOctave();
    MIDIPiano.MouseNoteOn(Button, Held, Note);
    MIDIPiano.ReleaseUnheldButtons(Held);
}

void TFormHandlers::Button22MouseDown()
{
    MIDIPiano.ReleaseUnheldButtons({});
    StoreStep([this] { PresentSustainButton(Button22, false); });
}

void TFormHandlers::Button24MouseDown()
{
    StoreStep([this] {
        PresentSoftButton(Button24, false);
        PresentAccentButton(Button1, true);
    });
}

void TFormHandlers::Button1MouseDown()
{
    StoreStep([this] {
        PresentAccentButton(Button1, false);
        PresentSoftButton(Button24, true);
    });
}

void TFormHandlers::o1MouseDown(int32_t Number)
{
    StoreStep([this, Number] {
        PresentOctaveButtons(OctaveButtons, Number);
        PresentKeys();
    });
}

void TFormHandlers::PresentKeys()
{
    LowestKeyNote = PresentPianoKeys(PianoKeys);
}

void TFormHandlers::SoundingChanged(int32_t Note, bool Sounding)
{
    const int32_t Offset = Note - LowestKeyNote;
    if (InRange(Offset, 0, PianoKeyCount - 1))
        PianoKeys[static_cast<size_t>(Offset)].SetLit(Sounding);
}

void TFormHandlers::Button3MouseDown()
{
    MIDIPiano.ReleaseMouseNotes();
}

void TFormHandlers::ComboBox1Change(int32_t Index)
{
    ComboBox1.SetItemIndex(Index);
    ComboBox1Change();
}

void TFormHandlers::ComboBox1Change()
{
    // Each note ends on the port that started it: a port closed with notes
    // sounding would leave them hanging on that device.
    MIDIPiano.StopAll();
    StoreStep([this] { AwaitingStoredDevice = PresentDeviceList(ComboBox1, false); });
}

void TFormHandlers::ComboBox2Change(int32_t Index)
{
    ComboBox2.SetItemIndex(Index);
    ComboBox2Change();
}

void TFormHandlers::ComboBox2Change()
{
    MIDIPiano.StopAll();
    StoreStep([this] {
        PresentGroupList(ComboBox2, false);
        PresentVoiceList(ComboBox3, false);
    });
}

void TFormHandlers::ComboBox3Change(int32_t Index)
{
    ComboBox3.SetItemIndex(Index);
    ComboBox3Change();
}

void TFormHandlers::ComboBox3Change()
{
    MIDIPiano.StopAll();
    StoreStep([this] { PresentVoiceList(ComboBox3, false); });
}

void TFormHandlers::ComboBox5Change(int32_t Index)
{
    ComboBox5.SetItemIndex(Index);
    ComboBox5Change();
}

void TFormHandlers::ComboBox5Change()
{
    MIDIPiano.StopAll();
    StoreStep([this] {
        PresentChannelList(ComboBox5);
        ComboBox2Change();
    });
}

void TFormHandlers::TrackBar1Change(int32_t Position)
{
    TrackBar1.SetPosition(Position);
    StoreStep([this] { PresentVolumeBar(TrackBar1); });
}

void TFormHandlers::TrackBar2Change(int32_t Position)
{
    TrackBar2.SetPosition(Position);
    StoreStep([this] { PresentVelocityBar(TrackBar2); });
}

void TFormHandlers::Button2Click()
{
    MIDIPiano.StopAll();
    // A port that has gone is told nothing more: it could only fail.
    MIDIDevices.Refresh();
    MIDIDevices.SendAllNotesOff();
    CloseDeviceAt(KeyboardConfig.GetDeviceID());
    // The port reopens by its name, wherever the list that is read again has it.
    AwaitingStoredDevice = true;
    ReadDevicesAgain();
    if (AwaitingStoredDevice && !KeyboardConfig.GetDeviceName().empty())
        ShowError(OpenErrorText(MMSYSERR_BADDEVICEID));
}

void TFormHandlers::StaticTextLeftDown()
{
    MIDIPiano.StopAll();
}

void TFormHandlers::StaticText1MouseDown()
{
    MIDIPiano.StopAll();
    View.PopUpMenu(TFormMenu::File);
}

void TFormHandlers::StaticText2MouseDown()
{
    MIDIPiano.StopAll();
    View.PopUpMenu(TFormMenu::Help);
}

void TFormHandlers::File1Click()
{
    View.CloseWindow();
}

void TFormHandlers::Help1Click()
{
    ShellOpenIn(DataFolder(), "Readme.txt");
}

void TFormHandlers::ProductHomepage1Click()
{
    ShellOpen(HomePageAddress);
}

void TFormHandlers::About1Click()
{
    View.ShowAbout();
}
