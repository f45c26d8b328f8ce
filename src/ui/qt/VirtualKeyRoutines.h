#pragma once

#include <cstdint>

class QKeyEvent;
class QString;

// The key map speaks Windows virtual-key codes; these routines name every
// key event by one. 0 means the key has no code.

inline constexpr uint16_t VK_SPACE = 0x20;

// The code a US layout gives for the key at a physical position, named by
// its XKB key code (the native scan code on X11 and Wayland).
uint16_t VirtualKeyOfScanCode(uint32_t ScanCode);

// The code of the US key that produces a Qt key, shifted or not, so that
// Shift never changes the code. Keypad tells the keypad's keys apart.
uint16_t VirtualKeyOfQtKey(int Key, bool Keypad);

// The code of a key event on the named Qt platform: Windows gives it
// natively; elsewhere the scan code names the physical key; without a native
// code (the offscreen platform) the Qt key does.
uint16_t VirtualKeyOf(const QKeyEvent& Event, const QString& Platform);
