#include "MappedWindows.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

TMappedWindows::TMappedWindows() : Connection(XOpenDisplay(nullptr))
{
    if (Connection == nullptr)
        return;
    XSelectInput(Connection, DefaultRootWindow(Connection), SubstructureNotifyMask);
    XSync(Connection, False);
}

TMappedWindows::~TMappedWindows()
{
    if (Connection != nullptr)
        XCloseDisplay(Connection);
}

std::vector<std::string> TMappedWindows::Titles()
{
    while (Connection != nullptr && XPending(Connection) > 0) {
        XEvent Event;
        XNextEvent(Connection, &Event);
        if (Event.type != MapNotify)
            continue;
        XTextProperty Title{};
        if (XGetWMName(Connection, Event.xmap.window, &Title) != 0 && Title.value != nullptr) {
            Seen.emplace_back(reinterpret_cast<const char*>(Title.value), Title.nitems);
            XFree(Title.value);
        }
    }
    return Seen;
}
