#include <benchmark/benchmark.h>

#include "ErrorRecorder.h"
#include "LatencyCounters.h"
#include "TemporaryFolder.h"
#include "config/KlavoraConfigRoutines.h"

namespace {

// A settings store started as the program starts it, on a fresh 13-key
// settings file in a folder on disk.
class TStartedSettings {
public:
    TStartedSettings()
        : Folder(KLAVORA_PROGRAM_DIR)
    {
        Folder.CopyShipped("GeneralMIDI.ini");
        KlavoraConfigStart();
    }

private:
    TErrorRecorder Errors;
    TTemporaryProgramFolder Folder;
};

}

// One getter: a whole lookup in the settings file, since nothing is cached.
static void SettingsGetChannel(benchmark::State& State)
{
    TStartedSettings Settings;
    TLatencyCounters Latency(State);
    for (auto _ : State)
        Latency.Time([] { benchmark::DoNotOptimize(KeyboardConfig.GetChannel()); });
}
BENCHMARK(SettingsGetChannel)->Iterations(20000);

// The settings a Note On or a Note Off reads: one read of the file.
static void SettingsOfOneNote(benchmark::State& State)
{
    TStartedSettings Settings;
    TLatencyCounters Latency(State);
    for (auto _ : State)
        Latency.Time([] { benchmark::DoNotOptimize(KeyboardConfig.GetNoteSettings()); });
}
BENCHMARK(SettingsOfOneNote)->Iterations(20000);
