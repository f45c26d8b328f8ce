#include "ui/qt/VirtualKeyRoutines.h"

#include <array>

#include <QKeyEvent>
#include <QString>

namespace {

// Evdev key codes (the XKB key code less 8) to the codes of a US layout,
// with the keypad read as with Num Lock on.
constexpr std::array<uint8_t, 128> EvdevVirtualKeys = [] {
    std::array<uint8_t, 128> Codes{};
    // A row of keys whose codes are their characters, from the evdev code First on.
    const auto PutRow = [&Codes](int First, const char* Keys) {
        for (int I = 0; Keys[I] != 0; ++I)
            Codes[First + I] = static_cast<uint8_t>(Keys[I]);
    };
    PutRow(2, "1234567890");
    PutRow(16, "QWERTYUIOP");
    PutRow(30, "ASDFGHJKL");
    PutRow(44, "ZXCVBNM");
    for (int I = 0; I < 10; ++I)
        Codes[59 + I] = static_cast<uint8_t>(0x70 + I); // F1..F10
    Codes[1] = 0x1B;   // Escape
    Codes[12] = 0xBD;  // - _
    Codes[13] = 0xBB;  // = +
    Codes[14] = 0x08;  // Backspace
    Codes[15] = 0x09;  // Tab
    Codes[26] = 0xDB;  // [ {
    Codes[27] = 0xDD;  // ] }
    Codes[28] = 0x0D;  // Enter
    Codes[29] = 0x11;  // left Ctrl
    Codes[39] = 0xBA;  // ; :
    Codes[40] = 0xDE;  // ' "
    Codes[41] = 0xC0;  // ` ~
    Codes[42] = 0x10;  // left Shift
    Codes[43] = 0xDC;  // backslash |
    Codes[51] = 0xBC;  // , <
    Codes[52] = 0xBE;  // . >
    Codes[53] = 0xBF;  // / ?
    Codes[54] = 0x10;  // right Shift
    Codes[55] = 0x6A;  // keypad *
    Codes[56] = 0x12;  // left Alt
    Codes[57] = 0x20;  // Space
    Codes[58] = 0x14;  // Caps Lock
    Codes[69] = 0x90;  // Num Lock
    Codes[70] = 0x91;  // Scroll Lock
    Codes[71] = 0x67;  // keypad 7
    Codes[72] = 0x68;  // keypad 8
    Codes[73] = 0x69;  // keypad 9
    Codes[74] = 0x6D;  // keypad -
    Codes[75] = 0x64;  // keypad 4
    Codes[76] = 0x65;  // keypad 5
    Codes[77] = 0x66;  // keypad 6
    Codes[78] = 0x6B;  // keypad +
    Codes[79] = 0x61;  // keypad 1
    Codes[80] = 0x62;  // keypad 2
    Codes[81] = 0x63;  // keypad 3
    Codes[82] = 0x60;  // keypad 0
    Codes[83] = 0x6E;  // keypad .
    Codes[86] = 0xE2;  // the extra key beside left Shift on ISO keyboards
    Codes[87] = 0x7A;  // F11
    Codes[88] = 0x7B;  // F12
    Codes[96] = 0x0D;  // keypad Enter
    Codes[97] = 0x11;  // right Ctrl
    Codes[98] = 0x6F;  // keypad /
    Codes[99] = 0x2C;  // Print Screen
    Codes[100] = 0x12; // right Alt
    Codes[102] = 0x24; // Home
    Codes[103] = 0x26; // Up
    Codes[104] = 0x21; // Page Up
    Codes[105] = 0x25; // Left
    Codes[106] = 0x27; // Right
    Codes[107] = 0x23; // End
    Codes[108] = 0x28; // Down
    Codes[109] = 0x22; // Page Down
    Codes[110] = 0x2D; // Insert
    Codes[111] = 0x2E; // Delete
    Codes[119] = 0x13; // Pause
    Codes[125] = 0x5B; // left Windows key
    Codes[126] = 0x5C; // right Windows key
    Codes[127] = 0x5D; // Menu
    return Codes;
}();

constexpr uint32_t XKBKeyCodeOffset = 8;

uint16_t VirtualKeyOfKeypadKey(int Key)
{
    if (Key >= Qt::Key_0 && Key <= Qt::Key_9)
        return static_cast<uint16_t>(0x60 + (Key - Qt::Key_0));
    switch (Key) {
    case Qt::Key_Asterisk: return 0x6A;
    case Qt::Key_Plus: return 0x6B;
    case Qt::Key_Minus: return 0x6D;
    case Qt::Key_Period: case Qt::Key_Comma: return 0x6E;
    case Qt::Key_Slash: return 0x6F;
    default: return 0;
    }
}

}

uint16_t VirtualKeyOfScanCode(uint32_t ScanCode)
{
    if (ScanCode < XKBKeyCodeOffset || ScanCode - XKBKeyCodeOffset >= EvdevVirtualKeys.size())
        return 0;
    return EvdevVirtualKeys[ScanCode - XKBKeyCodeOffset];
}

uint16_t VirtualKeyOfQtKey(int Key, bool Keypad)
{
    if (Keypad) {
        if (const uint16_t Code = VirtualKeyOfKeypadKey(Key))
            return Code;
    }
    if ((Key >= Qt::Key_A && Key <= Qt::Key_Z) || (Key >= Qt::Key_0 && Key <= Qt::Key_9))
        return static_cast<uint16_t>(Key);
    if (Key >= Qt::Key_F1 && Key <= Qt::Key_F24)
        return static_cast<uint16_t>(0x70 + (Key - Qt::Key_F1));
    switch (Key) {
    case Qt::Key_Exclam: return '1';
    case Qt::Key_At: return '2';
    case Qt::Key_NumberSign: return '3';
    case Qt::Key_Dollar: return '4';
    case Qt::Key_Percent: return '5';
    case Qt::Key_AsciiCircum: return '6';
    case Qt::Key_Ampersand: return '7';
    case Qt::Key_Asterisk: return '8';
    case Qt::Key_ParenLeft: return '9';
    case Qt::Key_ParenRight: return '0';
    case Qt::Key_Minus: case Qt::Key_Underscore: return 0xBD;
    case Qt::Key_Equal: case Qt::Key_Plus: return 0xBB;
    case Qt::Key_BracketLeft: case Qt::Key_BraceLeft: return 0xDB;
    case Qt::Key_BracketRight: case Qt::Key_BraceRight: return 0xDD;
    case Qt::Key_Semicolon: case Qt::Key_Colon: return 0xBA;
    case Qt::Key_Apostrophe: case Qt::Key_QuoteDbl: return 0xDE;
    case Qt::Key_QuoteLeft: case Qt::Key_AsciiTilde: return 0xC0;
    case Qt::Key_Backslash: case Qt::Key_Bar: return 0xDC;
    case Qt::Key_Comma: case Qt::Key_Less: return 0xBC;
    case Qt::Key_Period: case Qt::Key_Greater: return 0xBE;
    case Qt::Key_Slash: case Qt::Key_Question: return 0xBF;
    case Qt::Key_Space: return VK_SPACE;
    case Qt::Key_Backspace: return 0x08;
    case Qt::Key_Tab: case Qt::Key_Backtab: return 0x09;
    case Qt::Key_Return: case Qt::Key_Enter: return 0x0D;
    case Qt::Key_Shift: return 0x10;
    case Qt::Key_Control: return 0x11;
    case Qt::Key_Alt: case Qt::Key_AltGr: return 0x12;
    case Qt::Key_Pause: return 0x13;
    case Qt::Key_CapsLock: return 0x14;
    case Qt::Key_Escape: return 0x1B;
    case Qt::Key_PageUp: return 0x21;
    case Qt::Key_PageDown: return 0x22;
    case Qt::Key_End: return 0x23;
    case Qt::Key_Home: return 0x24;
    case Qt::Key_Left: return 0x25;
    case Qt::Key_Up: return 0x26;
    case Qt::Key_Right: return 0x27;
    case Qt::Key_Down: return 0x28;
    case Qt::Key_Print: return 0x2C;
    case Qt::Key_Insert: return 0x2D;
    case Qt::Key_Delete: return 0x2E;
    case Qt::Key_Meta: return 0x5B;
    case Qt::Key_Menu: return 0x5D;
    case Qt::Key_NumLock: return 0x90;
    case Qt::Key_ScrollLock: return 0x91;
    default: return 0;
    }
}

uint16_t VirtualKeyOf(const QKeyEvent& Event, const QString& Platform)
{
    if (Platform == QLatin1String("windows") && Event.nativeVirtualKey() != 0)
        return static_cast<uint16_t>(Event.nativeVirtualKey());
    if (Platform != QLatin1String("windows") && Event.nativeScanCode() != 0) {
        if (const uint16_t Code = VirtualKeyOfScanCode(Event.nativeScanCode()))
            return Code;
    }
    return VirtualKeyOfQtKey(Event.key(), Event.modifiers().testFlag(Qt::KeypadModifier));
}
