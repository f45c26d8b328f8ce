#pragma once

#include <chrono>
#include <string>

#include <sys/types.h>

// An X server of the test's own; DISPLAY names it while it lives. With a
// window manager (openbox) when asked, for stacking and focus as on a desktop.
class TVirtualDisplay {
public:
    explicit TVirtualDisplay(bool WithWindowManager = false);
    ~TVirtualDisplay();
    TVirtualDisplay(const TVirtualDisplay&) = delete;
    TVirtualDisplay& operator=(const TVirtualDisplay&) = delete;

    std::string Name;
    // Why the window manager does not run; empty while it does (or was not asked for).
    std::string Problem;

private:
    pid_t Server = -1;
    pid_t WindowManager = -1;
};

// Runs xdotool with the arguments on the display, then gives the program and
// JACK's next cycle time to pass the events on.
void Xdotool(const std::string& Arguments);

// The id of a visible window named exactly Name, once one shows within Limit;
// empty if none does.
std::string VisibleWindow(const std::string& Name, std::chrono::milliseconds Limit = std::chrono::seconds(5));

// Moves the pointer to a point of the X window, then does Action ("click 1",
// "mousedown 3").
void Mouse(const std::string& Window, int X, int Y, const std::string& Action);
