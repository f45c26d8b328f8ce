#pragma once

#include "ErrorRecorder.h"
#include "RecordingMIDIOutService.h"
#include "TemporaryFolder.h"

// What the main window needs, started as the program starts its modules, on
// a program folder of the test's own: copies of the shipped data files, the
// key map "Test" chosen in the settings (Z, X and the digit 2 play offsets 0,
// 2 and 13; Tab, Enter, Escape and the left arrow play 25..28, so that they
// can be heard reaching the window), and two MIDI devices, "Synth One" and
// "Synth Two", behind the mapper of a recording service. Error boxes are
// recorded. The modules stop in reverse order when it goes.
class TFormModules {
public:
    TFormModules();
    ~TFormModules();
    TFormModules(const TFormModules&) = delete;
    TFormModules& operator=(const TFormModules&) = delete;

    TTemporaryFolder Folder;
    TRecordingMIDIOutService Service;
    TErrorRecorder Errors;
};
