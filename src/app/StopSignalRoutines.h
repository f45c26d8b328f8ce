#pragma once

#include <functional>

// SIGTERM, SIGINT and SIGHUP (a logout, Ctrl+C, a closed terminal) stop the
// program the way closing its window does: the signal only wakes the event
// loop, which then runs Stop there, safely, like any other event.
void StopSignalsStart(std::function<void()> Stop);
void StopSignalsStop();
