#pragma once

// Around the creation of the application object, which opens the display:
// when no display can be opened, Qt would abort with advice to reinstall the
// program; instead the program says on one line what is missing and ends
// with exit code 1. What Qt writes meanwhile is held back, and written once
// the display is open. Nothing is asked of the window system beyond what Qt
// asks anyway.
void DisplayOpeningStart();
void DisplayOpeningStop();

inline constexpr const char* NoDisplayMessage = "klavora: no display could be opened; set DISPLAY or WAYLAND_DISPLAY";
