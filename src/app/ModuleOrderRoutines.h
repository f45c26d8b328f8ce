#pragma once

class TModalErrorBox;

// How the program reaches the MIDI output service: the system's own, or the
// one already installed (tests install a recording service).
enum class TMIDIServiceChoice { System, Installed };

// Starts the modules that own the program's global objects, in the order
// each needs the ones before it: the log, the error box (shown by the window
// toolkit's ErrorBox), the settings store (and the patch catalogue it names),
// the key map, the MIDI service, the device list, the note player.
// StopModules stops them in reverse order.
void StartModules(TModalErrorBox& ErrorBox, TMIDIServiceChoice MIDIService);
void StopModules(TMIDIServiceChoice MIDIService);
