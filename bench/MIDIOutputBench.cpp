#include <benchmark/benchmark.h>

#include "LatencyCounters.h"
#include "RecordingMIDIOutService.h"
#include "core/MIDIMessageRoutines.h"
#include "midi/MIDIDevicesRoutines.h"

// A Note On and its Note Off through an open port and the recording service:
// the cost the port itself adds to every key.
static void NoteOnOffThroughPort(benchmark::State& State)
{
    TRecordingMIDIOutService Service;
    TMIDIDevice Device{0, MapperName, MIDI_MAPPER};
    Device.Open(1, 0);
    Service.Sent.reserve(2 * static_cast<size_t>(State.max_iterations) + 16);
    Service.Calls.reserve(2 * static_cast<size_t>(State.max_iterations) + 16);
    TLatencyCounters Latency(State);
    for (auto _ : State) {
        Latency.Time([&] {
            Device.SendNoteOn(1, 60, 100);
            Device.SendNoteOff(1, 60, 0);
        });
    }
    Device.Close();
}
BENCHMARK(NoteOnOffThroughPort)->Iterations(100000);

BENCHMARK_MAIN();
