#pragma once

#include <functional>

// How the program reaches the MIDI output service: the system's own, or the
// one already installed (tests install a recording service).
enum class TMIDIServiceChoice { System, Installed };

// The whole program: starts the modules in order, shows the splash, creates
// the windows, runs the message loop and stops everything in reverse order.
// Shown runs once the main window is shown, before the loop (tests drive the
// window from there). Returns the program's exit code.
int RunKlavora(int& Argc, char** Argv, TMIDIServiceChoice MIDIService, const std::function<void()>& Shown = {});

inline constexpr const char* ApplicationTitle = "Klavora Lite";
inline constexpr const char* ProgramCaption = "Klavora Lite v2.9";
