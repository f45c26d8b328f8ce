#pragma once

#include <functional>

#include "app/ModuleOrderRoutines.h"

// The whole program: starts the modules in order, shows the splash, creates
// the windows, runs the message loop and stops everything in reverse order.
// Shown runs once the main window is shown, before the loop (tests drive the
// window from there). Returns the program's exit code.
int RunKlavora(int& Argc, char** Argv, TMIDIServiceChoice MIDIService, const std::function<void()>& Shown = {});

inline constexpr const char* ApplicationTitle = "Klavora Lite";
inline constexpr const char* ProgramCaption = "Klavora Lite v2.9";
