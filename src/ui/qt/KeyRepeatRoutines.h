#pragma once

#include <cstdint>

#include <QByteArray>
#include <Qt>

// The X server repeats a held key as a release followed by a press, and Qt
// guesses which releases belong to a repeat by looking ahead in its event
// queue: on a busy machine the press is not there yet, and the repeat looks
// like a real release. Asked for detectable auto-repeat, the server sends a
// held key's repeats as presses only and its one release when the key goes
// up. Elsewhere (Wayland, offscreen) the platform labels repeats itself, and
// this does nothing. It costs no round trip to the server.
void AskForDetectableAutoRepeat();

// A key press or release as the window system sent it (X11's own event),
// which reaches the program even where Qt delivers no event for it, as to a
// window that a box blocks. False for any other event, and on Windows, where
// Qt delivers every key event (to the box).
bool ReadNativeKeyEvent(const QByteArray& EventType, const void* Message, bool& Released, uint16_t& Key,
                        Qt::KeyboardModifiers& Shift);
