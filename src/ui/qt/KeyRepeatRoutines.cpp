#include "ui/qt/KeyRepeatRoutines.h"

#include <QGuiApplication>

#include <xcb/xcb.h>

// The XKB header names a field "explicit", a C++ keyword.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit

#include "ui/qt/VirtualKeyRoutines.h"

void AskForDetectableAutoRepeat()
{
    // The offscreen platform answers as X11 too, without a connection.
    const auto* X11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* Connection = X11 != nullptr ? X11->connection() : nullptr;
    if (Connection == nullptr)
        return;
    // Qt has set the extension up on its connection already; asking again is harmless.
    xcb_discard_reply(Connection, xcb_xkb_use_extension(Connection, XCB_XKB_MAJOR_VERSION, XCB_XKB_MINOR_VERSION).sequence);
    constexpr uint32_t Detectable = XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT;
    xcb_discard_reply(Connection,
        xcb_xkb_per_client_flags(Connection, XCB_XKB_ID_USE_CORE_KBD, Detectable, Detectable, 0, 0, 0).sequence);
    xcb_flush(Connection);
}

bool ReadNativeKeyEvent(const QByteArray& EventType, const void* Message, bool& Released, uint16_t& Key,
                        Qt::KeyboardModifiers& Shift)
{
    if (EventType != "xcb_generic_event_t")
        return false;
    const auto* Event = static_cast<const xcb_key_press_event_t*>(Message);
    const uint8_t Type = Event->response_type & 0x7F;
    // A key release has the layout of a key press.
    if (Type != XCB_KEY_PRESS && Type != XCB_KEY_RELEASE)
        return false;
    Released = Type == XCB_KEY_RELEASE;
    Key = VirtualKeyOfScanCode(Event->detail);
    Shift = (Event->state & XCB_MOD_MASK_SHIFT) != 0 ? Qt::ShiftModifier : Qt::NoModifier;
    return true;
}
