#pragma once

#include <chrono>
#include <string>
#include <utility>
#include <vector>

#include <sys/types.h>

#include "TemporaryFolder.h"

// The real program, run as a user runs it: copied with its data files into a
// fresh folder, on an X server of the test's own, driven with real key and
// mouse events through xdotool.

// An X server of the test's own (Xvfb); DISPLAY names it while it lives. With
// a window manager (openbox) when asked, for stacking and focus as on a desktop.
class TVirtualDisplay {
public:
    explicit TVirtualDisplay(bool WithWindowManager = false);
    ~TVirtualDisplay();
    TVirtualDisplay(const TVirtualDisplay&) = delete;
    TVirtualDisplay& operator=(const TVirtualDisplay&) = delete;

    // ":N", or empty when the server did not start.
    std::string Name;
    // Why the window manager does not run; empty while it does (or was not asked for).
    std::string Problem;

private:
    pid_t Server = -1;
    pid_t WindowManager = -1;
};

// The standard output of a shell command.
std::string Output(const std::string& Command);

// Runs xdotool with the arguments, then gives the program and JACK's next
// cycle time to pass the events on.
void Xdotool(const std::string& Arguments);

// Moves the pointer to a point of the window's client area, then does Action
// ("click 1", "mousedown 3").
void Mouse(const std::string& Window, int X, int Y, const std::string& Action);

// Where the main window's controls are, from their geometry and the 5-pixel border.
inline constexpr int Border = 5;
inline constexpr int PianoTop = Border + 56 + 16;
inline constexpr int WhiteKeyCentre(int WhiteIndex) { return Border + 120 + 8 + 24 * WhiteIndex + 12; }

// Whether the window is the top-most one on the display and no other window
// covers any part of it; if not, Why says which window covers it.
bool OnTopAndUncovered(const std::string& Window, std::string& Why);

// The environment that leaves the program without any sound system: a JACK
// server name that no server uses, a PulseAudio server that is not there
// (and this machine has no sound hardware).
std::vector<std::pair<std::string, std::string>> NoSoundSystem();

class TProgramRun {
public:
    TProgramRun();
    // A program still running is killed.
    ~TProgramRun();
    TProgramRun(const TProgramRun&) = delete;
    TProgramRun& operator=(const TProgramRun&) = delete;

    // Starts the program from "/" (the current folder plays no part) with
    // these variables set (an empty value unsets one); its standard error
    // goes to the file StandardErrorName in the folder.
    void Start(const std::vector<std::pair<std::string, std::string>>& Environment = {});
    // The id of a visible window whose name is exactly Name, once one shows
    // within Limit; empty if none does.
    std::string WindowNamed(const std::string& Name, std::chrono::milliseconds Limit = std::chrono::seconds(5)) const;
    // Starts the program and waits for its main window, which it focuses;
    // the window's id, or empty.
    std::string StartAndFocus(const std::vector<std::pair<std::string, std::string>>& Environment = {});
    // Sends the signal to the program.
    void Signal(int Number) const;
    // Waits up to Limit for the program to end: its exit code, or -1 when it
    // still runs or ended through a signal.
    int Stopped(std::chrono::milliseconds Limit = std::chrono::seconds(5));
    std::string StandardError() const { return Folder.Read(StandardErrorName); }

    TTemporaryFolder Folder;
    pid_t Program = -1;

    static constexpr const char* StandardErrorName = "stderr.txt";
};

// The caption of the main window and of every error box.
inline constexpr const char* MainWindowName = "Klavora Lite v2.9";
inline constexpr const char* ErrorBoxName = "Application Error";
