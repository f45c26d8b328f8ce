#pragma once

#include <cstdint>
#include <span>
#include <string>

#include <QColor>

class QComboBox;
class QObject;
class QPushButton;
class QSlider;
class QWidget;
class TButton;

// The routines that bind the main window's controls to the settings store.
// Each fills its control on the first call, writes the control's value back
// on a later one (with what follows from it: switching the port, sending a
// program change), and refreshes the control's look. They keep no state.

// Text of a pedal button that is off, and of the octave buttons not chosen.
inline const QColor DimColor(160, 160, 164);

// The space the window leaves between its frame and its controls.
inline constexpr int WindowBorderWidth = 5;

// The name of a MIDI note, sharps only, octaves counted from 0 at note 0
// ("C5" for 60, "?0" for -1).
std::string NoteName(int32_t Note);

// The semitones of an on-screen key above the lowest one: the number that
// follows "Piano" in its name.
int32_t PianoKeyOffset(const QObject& Key);

// The port at a device position, opened with the stored channel and the
// stored instrument's program, or closed; a position that names no port is
// left alone.
void OpenDeviceAt(int32_t Position);
void CloseDeviceAt(int32_t Position);

void PresentWindow(QWidget* Window);
// PresentOnly false toggles the stored pedal first.
void PresentSoftButton(QPushButton* Button, bool PresentOnly);
void PresentAccentButton(QPushButton* Button, bool PresentOnly);
void PresentSustainButton(QPushButton* Button, bool PresentOnly);
void PresentVolumeBar(QSlider* Bar);
void PresentVelocityBar(QSlider* Bar);
void PresentGroupList(QComboBox* List, bool Initial);
void PresentVoiceList(QComboBox* List, bool Initial);
void PresentChannelList(QComboBox* List);
void PresentDeviceList(QComboBox* List, bool Initial);
// Keys in the order Piano0 .. Piano24, each lit while its note sounds.
// Returns the note of Piano0.
int32_t PresentPianoKeys(std::span<TButton* const> Keys);
// Buttons in the order "1" .. "8"; Pressed is 1..8, or -1 for none.
void PresentOctaveButtons(std::span<QPushButton* const> Buttons, int32_t Pressed);

// The controls of the window that show a setting.
struct TSettingControls {
    QComboBox* Devices;
    QComboBox* Groups;
    QComboBox* Voices;
    QComboBox* Channels;
    QSlider* Volume;
    QSlider* Velocity;
    std::span<QPushButton* const> OctaveButtons;
    QPushButton* Soft;
    QPushButton* Sustain;
    QPushButton* Accent;
};

// Shows in every control the value the settings hold, writing nothing and
// sending nothing: after a write that failed, the window shows what is in
// force rather than what the user asked for. (The piano keys' hints follow
// the octave with PresentPianoKeys.)
void ShowSettingsInForce(const TSettingControls& Controls);
