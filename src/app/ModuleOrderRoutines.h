#pragma once

class TModalErrorBox;

// How the program reaches the MIDI output service: the system's own, or the
// one already installed (tests install a recording service).
enum class TMIDIServiceChoice { System, Installed };

// What the modules start with. A program shows its errors in its window
// toolkit's box and plays on the system's MIDI service; tests and benchmarks
// leave out the box, so that errors go on to the presenter they installed,
// and play on the service they installed.
struct TModuleChoices {
    TModalErrorBox* ErrorBox = nullptr;
    TMIDIServiceChoice MIDIService = TMIDIServiceChoice::Installed;
};

// Starts the modules that own the program's global objects, in the order
// each needs the ones before it: the log, the error box, the settings store
// (and the patch catalogue it names), the key map, the MIDI service, the
// device list, the note player. StopModules stops them in reverse order;
// both take the same choices.
void StartModules(const TModuleChoices& Choices);
void StopModules(const TModuleChoices& Choices);
