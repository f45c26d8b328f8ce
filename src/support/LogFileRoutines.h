#pragma once

#include "support/VCLRoutines.h"

// The run log: lines that any module may add while the program runs. It is
// written as "Klavora.log" in the settings folder at every stop.
extern TStringList LogLines;

// Start step: the log begins empty.
void LogFileStart();

// Stop step: writes every line followed by CR LF to "Klavora.log" in the
// settings folder, replacing whatever the file held (zero bytes when there is
// no line), then frees the lines. A log that cannot be written is left
// unwritten without a word: the program is already ending.
void LogFileStop();

// The log's file name in the settings folder.
inline constexpr const char* LogFileName = "Klavora.log";
