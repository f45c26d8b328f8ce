#include "ui/KlavoraFormLayout.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

using enum TFormControl;
using enum TControlKind;

// The window's definition: every control, its parent, place and caption.
// Within a parent, a control listed later lies on top of one listed before.
constexpr TControlPlace Controls[] = {
    {StaticText1, "StaticText1", StaticText, None, {0, 0, 29, 17}, "  File "},
    {StaticText2, "StaticText2", StaticText, None, {29, 0, 34, 17}, "  Help "},
    {GroupBox1, "GroupBox1", GroupBox, None, {0, 16, 193, 41}, "MIDI Output Device"},
    {ComboBox1, "ComboBox1", ComboBox, GroupBox1, {8, 15, 129, 21}, ""},
    {Button2, "Button2", PushButton, GroupBox1, {144, 14, 41, 21}, "Reset"},
    {GroupBox2, "GroupBox2", GroupBox, None, {200, 16, 297, 41}, "MIDI Controller Instrument"},
    {ComboBox2, "ComboBox2", ComboBox, GroupBox2, {8, 15, 81, 21}, ""},
    {ComboBox3, "ComboBox3", ComboBox, GroupBox2, {96, 15, 129, 21}, ""},
    {ComboBox5, "ComboBox5", ComboBox, GroupBox2, {232, 15, 57, 21}, ""},
    {GroupBox4, "GroupBox4", GroupBox, None, {0, 56, 113, 41}, "Voice Volume"},
    {TrackBar1, "TrackBar1", TrackBar, GroupBox4, {2, 12, 109, 26}, ""},
    {GroupBox3, "GroupBox3", GroupBox, None, {0, 96, 113, 41}, "Voice Velocity"},
    {TrackBar2, "TrackBar2", TrackBar, GroupBox3, {2, 12, 109, 26}, ""},
    {GroupBox17, "GroupBox17", GroupBox, None, {0, 136, 113, 73}, "Controller Octave"},
    {o1, "o1", BitmapButton, GroupBox17, {8, 16, 25, 25}, "1"},
    {o2, "o2", BitmapButton, GroupBox17, {32, 16, 25, 25}, "2"},
    {o3, "o3", BitmapButton, GroupBox17, {56, 16, 25, 25}, "3"},
    {o4, "o4", BitmapButton, GroupBox17, {80, 16, 25, 25}, "4"},
    {o5, "o5", BitmapButton, GroupBox17, {8, 40, 25, 25}, "5"},
    {o6, "o6", BitmapButton, GroupBox17, {32, 40, 25, 25}, "6"},
    {o7, "o7", BitmapButton, GroupBox17, {56, 40, 25, 25}, "7"},
    {o8, "o8", BitmapButton, GroupBox17, {80, 40, 25, 25}, "8"},
    {GroupBox13, "GroupBox13", GroupBox, None, {120, 56, 377, 105}, "MIDI Controller Keyboard"},
    // White keys, 8 + 24 j for the j-th: neighbours overlap by one pixel.
    {Piano0, "Piano0", PianoKey, GroupBox13, {8, 16, 25, 81}, ""},
    {Piano2, "Piano2", PianoKey, GroupBox13, {32, 16, 25, 81}, ""},
    {Piano4, "Piano4", PianoKey, GroupBox13, {56, 16, 25, 81}, ""},
    {Piano5, "Piano5", PianoKey, GroupBox13, {80, 16, 25, 81}, ""},
    {Piano7, "Piano7", PianoKey, GroupBox13, {104, 16, 25, 81}, ""},
    {Piano9, "Piano9", PianoKey, GroupBox13, {128, 16, 25, 81}, ""},
    {Piano11, "Piano11", PianoKey, GroupBox13, {152, 16, 25, 81}, ""},
    {Piano12, "Piano12", PianoKey, GroupBox13, {176, 16, 25, 81}, ""},
    {Piano14, "Piano14", PianoKey, GroupBox13, {200, 16, 25, 81}, ""},
    {Piano16, "Piano16", PianoKey, GroupBox13, {224, 16, 25, 81}, ""},
    {Piano17, "Piano17", PianoKey, GroupBox13, {248, 16, 25, 81}, ""},
    {Piano19, "Piano19", PianoKey, GroupBox13, {272, 16, 25, 81}, ""},
    {Piano21, "Piano21", PianoKey, GroupBox13, {296, 16, 25, 81}, ""},
    {Piano23, "Piano23", PianoKey, GroupBox13, {320, 16, 25, 81}, ""},
    {Piano24, "Piano24", PianoKey, GroupBox13, {344, 16, 25, 81}, ""},
    // Black keys lie on top of the white ones.
    {Piano1, "Piano1", PianoKey, GroupBox13, {24, 16, 17, 49}, "|"},
    {Piano3, "Piano3", PianoKey, GroupBox13, {48, 16, 17, 49}, "|"},
    {Piano6, "Piano6", PianoKey, GroupBox13, {96, 16, 17, 49}, "|"},
    {Piano8, "Piano8", PianoKey, GroupBox13, {120, 16, 17, 49}, "|"},
    {Piano10, "Piano10", PianoKey, GroupBox13, {144, 16, 17, 49}, "|"},
    {Piano13, "Piano13", PianoKey, GroupBox13, {192, 16, 17, 49}, "|"},
    {Piano15, "Piano15", PianoKey, GroupBox13, {216, 16, 17, 49}, "|"},
    {Piano18, "Piano18", PianoKey, GroupBox13, {264, 16, 17, 49}, "|"},
    {Piano20, "Piano20", PianoKey, GroupBox13, {288, 16, 17, 49}, "|"},
    {Piano22, "Piano22", PianoKey, GroupBox13, {312, 16, 17, 49}, "|"},
    {GroupBox14, "GroupBox14", GroupBox, None, {120, 160, 233, 49}, "MIDI Controller Pedals"},
    {Button24, "Button24", BitmapButton, GroupBox14, {8, 16, 73, 25}, "Soft"},
    {Button22, "Button22", BitmapButton, GroupBox14, {80, 16, 73, 25}, "Sustain"},
    {Button1, "Button1", BitmapButton, GroupBox14, {152, 16, 73, 25}, "Accent"},
    {GroupBox5, "GroupBox5", GroupBox, None, {360, 160, 137, 49}, "Mouse Controller"},
    {Button4, "Button4", PushButton, GroupBox5, {8, 16, 121, 25}, "All Notes Off"},
};
static_assert(std::size(Controls) == FormControlCount);

// Where each control is in Controls.
constexpr std::array<uint8_t, FormControlCount> PlaceIndexes = [] {
    std::array<uint8_t, FormControlCount> Indexes{};
    for (size_t Index = 0; Index < std::size(Controls); ++Index)
        Indexes[static_cast<size_t>(Controls[Index].Control)] = static_cast<uint8_t>(Index);
    return Indexes;
}();

// Sixteen em dashes: a selectable Help menu item without action.
#define DASHES "\u2014\u2014\u2014\u2014\u2014\u2014\u2014\u2014\u2014\u2014\u2014\u2014\u2014\u2014\u2014\u2014"
constexpr TMenuItemPlace FileItems[] = {{TMenuItem::File1, "File1", "Exit"}};
constexpr TMenuItemPlace HelpItems[] = {
    {TMenuItem::Help1, "Help1", "Product Help"},
    {TMenuItem::N2, "N2", DASHES},
    {TMenuItem::ProductHomepage1, "ProductHomepage1", "Product Home Page"},
    {TMenuItem::N1, "N1", DASHES},
    {TMenuItem::About1, "About1", "About Klavora"},
};
#undef DASHES

// Qt's rounding of a 16-bit colour channel to 8 bits.
uint8_t EightBitsOf(uint32_t Channel)
{
    return static_cast<uint8_t>((Channel + 128 - ((Channel + 128) >> 8)) >> 8);
}

// Rounds as qRound does: half a step up, in single precision.
uint32_t Rounded(float Value)
{
    return static_cast<uint32_t>(Value + 0.5f);
}

uint32_t SixteenBitsOf(float Fraction)
{
    return Rounded(Fraction * 65535.0f);
}

bool NearlyEqual(float One, float Other)
{
    return std::fabs(One - Other) * 100000.0f <= std::min(std::fabs(One), std::fabs(Other));
}

// The colour with its HSV value divided by Factor / 100, computed in 16-bit
// channels and single-precision HSV as QColor::darker computes it, so that
// both windows draw the same pixels.
TColor Darker(TColor Color, uint32_t Factor)
{
    const float Red = RedOf(Color) * 257 / 65535.0f;
    const float Green = GreenOf(Color) * 257 / 65535.0f;
    const float Blue = BlueOf(Color) * 257 / 65535.0f;
    const float Max = std::max({Red, Green, Blue});
    const float Delta = Max - std::min({Red, Green, Blue});
    const uint32_t Value = SixteenBitsOf(Max) * 100 / Factor;
    if (std::fabs(Delta) <= 0.00001f) {
        const uint8_t Grey = EightBitsOf(Value);
        return RGBColor(Grey, Grey, Grey);
    }
    float Hue = NearlyEqual(Red, Max) ? (Green - Blue) / Delta
        : NearlyEqual(Green, Max)     ? 2.0f + (Blue - Red) / Delta
                                      : 4.0f + (Red - Green) / Delta;
    Hue *= 60.0f;
    if (Hue < 0.0f)
        Hue += 360.0f;
    const uint32_t HueHundredths = Rounded(Hue * 100.0f);
    const uint32_t Saturation = SixteenBitsOf(Delta / Max);

    const float H = HueHundredths == 36000 ? 0.0f : HueHundredths / 6000.0f;
    const float S = Saturation / 65535.0f;
    const float V = Value / 65535.0f;
    const int Sector = static_cast<int>(H);
    const float Fraction = H - static_cast<float>(Sector);
    const float P = V * (1.0f - S);
    const float Q = V * (1.0f - S * Fraction);
    const float T = V * (1.0f - S * (1.0f - Fraction));
    float R = V, G = T, B = P;
    switch (Sector) {
    case 1: R = Q, G = V, B = P; break;
    case 2: R = P, G = V, B = T; break;
    case 3: R = P, G = Q, B = V; break;
    case 4: R = T, G = P, B = V; break;
    case 5: R = V, G = P, B = Q; break;
    default: break;
    }
    return RGBColor(EightBitsOf(SixteenBitsOf(R)), EightBitsOf(SixteenBitsOf(G)), EightBitsOf(SixteenBitsOf(B)));
}

}

TColor LitKeyColor(TColor Highlight, TColor ButtonFace, bool BlackKey)
{
    if (BlackKey)
        return Darker(Highlight, 160);
    return RGBColor(static_cast<uint8_t>((RedOf(Highlight) + RedOf(ButtonFace)) / 2),
        static_cast<uint8_t>((GreenOf(Highlight) + GreenOf(ButtonFace)) / 2),
        static_cast<uint8_t>((BlueOf(Highlight) + BlueOf(ButtonFace)) / 2));
}

std::span<const TControlPlace> FormControls()
{
    return Controls;
}

const TControlPlace& PlaceOf(TFormControl Control)
{
    return Controls[PlaceIndexes[static_cast<size_t>(Control)]];
}

std::optional<int32_t> PianoKeyOffset(TFormControl Control)
{
    const int32_t Offset = static_cast<int32_t>(Control) - static_cast<int32_t>(TFormControl::Piano0);
    if (Offset < 0 || Offset >= PianoKeyCount)
        return std::nullopt;
    return Offset;
}

std::optional<int32_t> OctaveButtonNumber(TFormControl Control)
{
    const int32_t Index = static_cast<int32_t>(Control) - static_cast<int32_t>(TFormControl::o1);
    if (Index < 0 || Index >= OctaveButtonCount)
        return std::nullopt;
    return Index + 1;
}

bool IsBlackKey(int32_t Offset)
{
    const int32_t InOctave = ((Offset % 12) + 12) % 12;
    return InOctave == 1 || InOctave == 3 || InOctave == 6 || InOctave == 8 || InOctave == 10;
}

std::optional<int32_t> PianoKeyAt(int32_t X, int32_t Y)
{
    std::optional<int32_t> Found;
    // A later key lies on top: the last one that holds the point wins.
    for (const TControlPlace& Place : Controls)
        if (Place.Parent == TFormControl::GroupBox13 && Place.Place.Contains(X, Y))
            Found = PianoKeyOffset(Place.Control);
    return Found;
}

std::span<const TMenuItemPlace> MenuItems(TFormMenu Menu)
{
    if (Menu == TFormMenu::File)
        return FileItems;
    return HelpItems;
}

TPoint CentredOver(const TRect& Window, int32_t BoxWidth, int32_t BoxHeight)
{
    return {Window.Left + (Window.Width - BoxWidth) / 2, Window.Top + (Window.Height - BoxHeight) / 2};
}
