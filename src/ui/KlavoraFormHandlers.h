#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/MIDIPianoRoutines.h"
#include "ui/KlavoraFormRoutines.h"
#include "ui/KlavoraFormView.h"

// The modifier keys held at a key or mouse event.
struct TShiftState {
    bool Shift = false;
    bool Alt = false;
    bool Ctrl = false;
};

// What the main window does, whatever toolkit draws it: the handlers of its
// controls' events and the state its controls show. Every choice goes to the
// settings store at once; what sounds is tracked by the note player; the
// ports belong to the device list. Each piano key is lit while its note
// sounds. The window creates its controls, then runs FormCreate, and hands
// every event to the handler of the same name.
class TFormHandlers : private TSoundingObserver {
public:
    explicit TFormHandlers(TFormView& View);
    // Runs FormDestroy.
    ~TFormHandlers();
    TFormHandlers(const TFormHandlers&) = delete;
    TFormHandlers& operator=(const TFormHandlers&) = delete;

    // Fills every control from the settings, opens the stored port and sends
    // the stored instrument's program change.
    void FormCreate();
    // Ends every note still sounding.
    void FormDestroy();
    void ApplySettings(bool Initial);

    // The window or the application became active.
    void FormActivate();
    // The window lost the keyboard: the keys still down are released, as
    // their releases never come (unless an error box took it, see below).
    void FormDeactivate();
    // A list's drop-down opens and takes the keyboard; it closed again. The
    // device list reads the system's ports again as it opens.
    void ListDropDown();
    void ComboBox1DropDown();
    void ListCloseUp();
    // The system's ports may have changed (told on the window's thread).
    void DevicesChanged();

    // Virtual-key code of the key, and the modifier keys held. A press of a
    // key already down is its auto-repeat, whatever the platform calls it.
    void FormKeyDown(uint16_t Key, TShiftState Shift);
    void FormKeyUp(uint16_t Key, TShiftState Shift);

    // An error box runs its modal loop inside the note player's operation
    // that failed, before the player has recorded what it was doing, so a key
    // or mouse button that goes up meanwhile cannot end its note then. The
    // window reports the keys it sees while a box is up; once the boxes are
    // gone (after the failed operation has returned) it runs
    // ReleaseWhatWentUp, which ends what went up: the keys noted, the mouse
    // buttons no longer down.
    void KeySeenUnderBox(bool Released, uint16_t Key, TShiftState Shift);
    void ReleaseWhatWentUp();

    // A mouse button released over the window, a group box (but "Mouse
    // Controller"), a piano key, an octave, pedal or push button.
    void FormMouseUp(TMouseButton Button);
    // A mouse button released over a track bar or a list.
    void ControlMouseUp(TMouseButton Button);
    // A press on a piano key; Held is the set of buttons down with it.
    void KeyboardButtonMouseDown(int32_t Offset, TMouseButton Button, TMouseButtons Held);
    // A press on a pedal: Sustain, Soft, Accent.
    void Button22MouseDown();
    void Button24MouseDown();
    void Button1MouseDown();
    // A press on the octave button of this number, 1..8.
    void o1MouseDown(int32_t Number);
    // A press on "All Notes Off" (Button4), under the name the window's
    // definition gives its handler.
    void Button3MouseDown();

    // The user chose an item of a list (output device, instrument group,
    // voice, channel), or moved a track bar (Note On, Note Off velocity).
    void ComboBox1Change(int32_t Index);
    void ComboBox2Change(int32_t Index);
    void ComboBox3Change(int32_t Index);
    void ComboBox5Change(int32_t Index);
    void TrackBar1Change(int32_t Position);
    void TrackBar2Change(int32_t Position);
    // "Reset".
    void Button2Click();

    // A left press on a label stops every note before its menu opens: the
    // File label's, the Help label's.
    void StaticTextLeftDown();
    void StaticText1MouseDown();
    void StaticText2MouseDown();
    // The menu items "Exit", "Product Help", "Product Home Page", "About Klavora".
    void File1Click();
    void Help1Click();
    void ProductHomepage1Click();
    void About1Click();

    // The controls that show the settings, and the piano keys.
    TFormList ComboBox1; // the output devices
    TFormList ComboBox2; // the instrument groups
    TFormList ComboBox3; // the voices
    TFormList ComboBox5; // the channels
    TFormTrackBar TrackBar1; // the Note On velocity
    TFormTrackBar TrackBar2; // the Note Off velocity
    std::array<TFormButton, OctaveButtonCount> OctaveButtons; // o1..o8
    std::array<TFormKey, PianoKeyCount> PianoKeys; // Piano0..Piano24
    TFormButton Button24; // the Soft pedal
    TFormButton Button22; // the Sustain pedal
    TFormButton Button1; // the Accent pedal

private:
    // What a change of each list does, once its new choice is shown.
    void ComboBox1Change();
    void ComboBox2Change();
    void ComboBox3Change();
    void ComboBox5Change();
    void DisableFocus();
    // Reads the device list again and follows the stored port in it.
    void ReadDevicesAgain();
    void PresentKeys();
    // Lights or darkens the key of the note, if the keys show it.
    void SoundingChanged(int32_t Note, bool Sounding) override;
    // Ends the note of a key that went up.
    void KeyReleased(uint16_t Key, TShiftState Shift);
    // Releases the notes of the PC keys still down, as their releases would
    // without Shift.
    void ReleaseKeysDown();
    void ReleaseKeysThatWentUp();

    // Runs a step that stores settings. A write that fails ends the step;
    // once the outermost step is done, every control shows the settings in
    // force and the first failure is reported, once.
    template <typename TStep>
    void StoreStep(TStep&& Step);

    TFormView& View;
    // The stored port was not there: it opens as soon as it is.
    bool AwaitingStoredDevice = false;
    int StoreDepth = 0;
    std::string FailedWrite;

    // A PC key that is down and the note its press played. Its release ends
    // that note even when the octave changed meanwhile, and its further
    // presses are auto-repeats that play nothing, so a held key never leaves
    // a note sounding nor strikes it again. WentUp: released while a box was
    // up, with the modifier keys UpShift, and not yet ended.
    struct TKeyDown {
        uint16_t Key;
        int32_t Note;
        bool WentUp;
        TShiftState UpShift;
    };
    // More keys than a keyboard reports at once; a key beyond them falls back
    // to the note of the current octave.
    static constexpr size_t MaxKeysDown = 32;
    std::array<TKeyDown, MaxKeysDown> KeysDown{};
    size_t KeysDownCount = 0;
    TKeyDown* FindKeyDown(uint16_t Key);

    // The note of Piano0 at the octave the keys show.
    int32_t LowestKeyNote = 0;
};
