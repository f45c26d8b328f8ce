#include "ui/KeyRepeatRoutines.h"

#include <QGuiApplication>

// The XKB header names a field "explicit", a C++ keyword.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit

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
