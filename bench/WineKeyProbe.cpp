// Presses and releases the Z key in the program's main window, as a user
// does, COUNT times, and prints for each press the wall-clock time at which
// the X server had the key event, in microseconds since 1970, one a line:
// what the Windows program's key-to-message latency under Wine is measured
// from (bench/windows), against the times its winmm.dll writes.
//
//   klavora_wine_key_probe COUNT

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

// The main window, by its title, or 0.
Window MainWindow()
{
    std::string Id;
    if (FILE* Search = popen("timeout 10 xdotool search --sync --onlyvisible --name '^Klavora Lite v2.9$'", "r")) {
        char Line[64];
        if (std::fgets(Line, sizeof Line, Search) != nullptr)
            Id = Line;
        pclose(Search);
    }
    return Id.empty() ? 0 : std::stoul(Id);
}

long long MicrosecondsSince1970()
{
    using namespace std::chrono;
    return duration_cast<microseconds>(system_clock::now().time_since_epoch()).count();
}

}

int main(int Argc, char** Argv)
{
    using namespace std::chrono_literals;
    const int Count = Argc > 1 ? std::atoi(Argv[1]) : 30;
    Display* X = XOpenDisplay(nullptr);
    const Window Main = X != nullptr ? MainWindow() : 0;
    if (Main == 0) {
        std::fprintf(stderr, "no main window\n");
        return 1;
    }
    XSetInputFocus(X, Main, RevertToParent, CurrentTime);
    XSync(X, False);
    std::this_thread::sleep_for(300ms);
    const KeyCode Z = XKeysymToKeycode(X, XK_z);
    for (int Press = 0; Press < Count; ++Press) {
        XTestFakeKeyEvent(X, Z, True, CurrentTime);
        XSync(X, False);
        std::printf("%lld\n", MicrosecondsSince1970());
        std::this_thread::sleep_for(100ms);
        XTestFakeKeyEvent(X, Z, False, CurrentTime);
        XSync(X, False);
        std::this_thread::sleep_for(150ms);
    }
    XCloseDisplay(X);
    return 0;
}
