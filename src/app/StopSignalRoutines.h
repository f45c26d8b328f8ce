#pragma once

#include <functional>

// SIGTERM, SIGINT and SIGHUP (a logout, Ctrl+C, a closed terminal) stop the
// program the way closing its window does, whenever they come: the signal
// only notes that it came and wakes the event loop, which then runs Stop
// there, safely, like any other event (also inside a box's modal loop).

// Catches the signals from now on; the first step of the program.
void StopSignalsStart();
// Once the application object exists: a signal, also one that came before,
// runs Stop from the event loop.
void StopSignalsWatch(std::function<void()> Stop);
// Whether a stop signal came.
bool StopSignalReceived();
// The signals act as the system's default again.
void StopSignalsStop();
