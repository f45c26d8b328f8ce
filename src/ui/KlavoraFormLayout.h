#pragma once

#include <cstdint>
#include <optional>
#include <span>

// Where the main window's controls stand and how they look, as plain values
// that every window toolkit lays out the same way.

// A colour as 0x00BBGGRR.
using TColor = uint32_t;

constexpr TColor RGBColor(uint8_t Red, uint8_t Green, uint8_t Blue)
{
    return TColor{Red} | TColor{Green} << 8 | TColor{Blue} << 16;
}
constexpr uint8_t RedOf(TColor Color) { return Color & 0xFF; }
constexpr uint8_t GreenOf(TColor Color) { return (Color >> 8) & 0xFF; }
constexpr uint8_t BlueOf(TColor Color) { return (Color >> 16) & 0xFF; }

inline constexpr TColor BlackColor = 0x000000;
// Text of a pedal button that is off, and of the octave buttons not chosen.
inline constexpr TColor DimColor = 0xA4A0A0;
// The File and Help labels: silver at rest, grey and raised under the pointer.
inline constexpr TColor LabelColor = 0xC0C0C0;
inline constexpr TColor LabelHoverColor = 0x808080;

// The colour of a piano key whose note sounds, from the desktop's highlight
// and button-face colours: for a white key half way between the two (light
// on a light theme, still apart from the key on a dark one), for a black key
// the highlight darkened as Qt's QColor::darker(160) does.
TColor LitKeyColor(TColor Highlight, TColor ButtonFace, bool BlackKey);

struct TRect {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Width = 0;
    int32_t Height = 0;

    bool Contains(int32_t X, int32_t Y) const
    {
        return X >= Left && X < Left + Width && Y >= Top && Y < Top + Height;
    }
    bool operator==(const TRect&) const = default;
};

// Every control of the main window, by its name in the window's definition.
// The values index FormControls().
enum class TFormControl : uint8_t {
    StaticText1, // the "  File " label
    StaticText2, // the "  Help " label
    GroupBox1, // "MIDI Output Device"
    ComboBox1, // the output devices
    Button2, // "Reset"
    GroupBox2, // "MIDI Controller Instrument"
    ComboBox2, // the instrument groups
    ComboBox3, // the voices of the group
    ComboBox5, // the channels
    GroupBox4, // "Voice Volume"
    TrackBar1, // the Note On velocity
    GroupBox3, // "Voice Velocity"
    TrackBar2, // the Note Off velocity
    GroupBox17, // "Controller Octave"
    o1, o2, o3, o4, o5, o6, o7, o8, // the octave buttons "1".."8"
    GroupBox13, // "MIDI Controller Keyboard"
    // The on-screen piano keys, by their semitones above the lowest.
    Piano0, Piano1, Piano2, Piano3, Piano4, Piano5, Piano6, Piano7, Piano8, Piano9, Piano10, Piano11, Piano12,
    Piano13, Piano14, Piano15, Piano16, Piano17, Piano18, Piano19, Piano20, Piano21, Piano22, Piano23, Piano24,
    GroupBox14, // "MIDI Controller Pedals"
    Button24, // the Soft pedal
    Button22, // the Sustain pedal
    Button1, // the Accent pedal
    GroupBox5, // "Mouse Controller"
    Button4, // "All Notes Off"
    None, // the window itself, as a parent
};

inline constexpr int32_t FormControlCount = static_cast<int32_t>(TFormControl::None);
inline constexpr int32_t PianoKeyCount = 25;
inline constexpr int32_t OctaveButtonCount = 8;

enum class TControlKind : uint8_t { StaticText, GroupBox, ComboBox, PushButton, BitmapButton, TrackBar, PianoKey };

struct TControlPlace {
    TFormControl Control;
    const char* Name;
    TControlKind Kind;
    TFormControl Parent; // None: the window
    TRect Place; // relative to the parent's client area
    const char* Caption; // UTF-8
};

// Every control in the order the window creates them; a control's parent
// comes before it, and a black piano key after the white keys it lies on.
std::span<const TControlPlace> FormControls();
const TControlPlace& PlaceOf(TFormControl Control);

// The space the window leaves between its frame and its controls, on every side.
inline constexpr int32_t WindowBorderWidth = 5;
// The window's client size: its controls and the border around them.
inline constexpr int32_t FormClientWidth = 497 + 2 * WindowBorderWidth;
inline constexpr int32_t FormClientHeight = 209 + 2 * WindowBorderWidth;

constexpr TFormControl PianoKey(int32_t Offset)
{
    return static_cast<TFormControl>(static_cast<int32_t>(TFormControl::Piano0) + Offset);
}
constexpr TFormControl OctaveButton(int32_t Index)
{
    return static_cast<TFormControl>(static_cast<int32_t>(TFormControl::o1) + Index);
}
// The key's semitones above the lowest key, for Piano0..Piano24.
std::optional<int32_t> PianoKeyOffset(TFormControl Control);
// The octave button's number, 1..8 for o1..o8.
std::optional<int32_t> OctaveButtonNumber(TFormControl Control);

bool IsBlackKey(int32_t Offset);
// The key under a point of the keyboard group box's client area: a black key
// lying over a white one wins. None between and around the keys.
std::optional<int32_t> PianoKeyAt(int32_t X, int32_t Y);

// The pop-up menus the two labels open, and their items in order.
enum class TFormMenu : uint8_t { File, Help };
enum class TMenuItem : uint8_t {
    File1, // "Exit"
    Help1, // "Product Help"
    N2, // a row of dashes
    ProductHomepage1, // "Product Home Page"
    N1, // a row of dashes
    About1, // "About Klavora"
};
struct TMenuItemPlace {
    TMenuItem Item;
    const char* Name;
    const char* Caption; // UTF-8; the em-dash items are items, not separators
};
std::span<const TMenuItemPlace> MenuItems(TFormMenu Menu);

// The top-left corner that centres a box of BoxWidth x BoxHeight over a
// window's frame: left = frame left + (frame width - box width) div 2, top
// likewise, div truncating toward zero.
struct TPoint {
    int32_t X = 0;
    int32_t Y = 0;
    bool operator==(const TPoint&) const = default;
};
TPoint CentredOver(const TRect& Window, int32_t BoxWidth, int32_t BoxHeight);
