#pragma once

#include <functional>

// The system's requests to stop end the program the way closing its window
// does, whenever they come: on Linux the signals SIGTERM, SIGINT and SIGHUP
// (a logout, Ctrl+C, a closed terminal); on Windows the console's Ctrl+C,
// Ctrl+Break and closing, a logoff or shutdown, and the end of the session,
// for which Windows waits until the program has stopped. A request only
// notes that it came and wakes the event loop, which then runs Stop there,
// safely, like any other event (also inside a box's modal loop).

// Catches the requests from now on; the first step of the program.
void StopSignalsStart();
// Once the event loop can run it: a request, also one that came before,
// runs Stop from the event loop.
void StopSignalsWatch(std::function<void()> Stop);
// Whether a request to stop came.
bool StopSignalReceived();
// The requests act as the system's default again; on Windows, a request
// that waits for the program's stop returns.
void StopSignalsStop();
