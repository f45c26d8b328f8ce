#include <benchmark/benchmark.h>

#include "LatencyCounters.h"
#include "RecordingMIDIOutService.h"
#include "TemporaryFolder.h"
#include "config/KlavoraConfigRoutines.h"
#include "core/MIDIPianoRoutines.h"
#include "midi/MIDIDevicesRoutines.h"
#include "support/ProgramFolderRoutines.h"

// A PC key pressed and released: every setting the player needs is read from
// a complete Setup.ini on disk, and both messages go through an open port.
static void KeyPressAndRelease(benchmark::State& State)
{
    TTemporaryFolder Folder(KLAVORA_PROGRAM_DIR);
    TRecordingMIDIOutService Service;
    SetProgramFolder(Folder.Path());
    KeyboardConfig.OpenConfig(Folder / "Setup.ini");
    MIDIDevices.Enumerate();
    MIDIDevices.Items[0].Open(1, 0);
    MIDIPianoStart();
    Service.Sent.reserve(2 * static_cast<size_t>(State.max_iterations) + 16);
    Service.Calls.reserve(2 * static_cast<size_t>(State.max_iterations) + 16);
    {
        TLatencyCounters Latency(State);
        for (auto _ : State) {
            Latency.Time([] {
                MIDIPiano.KeyNoteOn(60, 0, false);
                MIDIPiano.KeyNoteOff(60, false);
            });
        }
    }
    MIDIPianoStop();
    MIDIDevices.Clear();
    KeyboardConfig.CloseConfig();
    SetProgramFolder("");
}
BENCHMARK(KeyPressAndRelease)->Iterations(20000);
