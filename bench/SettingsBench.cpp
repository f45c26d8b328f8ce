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

// The settings a key's Note On and Note Off read between them.
static void SettingsReadsOfOneNote(benchmark::State& State)
{
    TStartedSettings Settings;
    TLatencyCounters Latency(State);
    for (auto _ : State)
        Latency.Time([] {
            benchmark::DoNotOptimize(KeyboardConfig.GetChannel());
            benchmark::DoNotOptimize(KeyboardConfig.GetVolume());
            benchmark::DoNotOptimize(KeyboardConfig.GetAccent());
            benchmark::DoNotOptimize(KeyboardConfig.GetSoft());
            benchmark::DoNotOptimize(KeyboardConfig.GetSustain());
            benchmark::DoNotOptimize(KeyboardConfig.GetFade());
            benchmark::DoNotOptimize(KeyboardConfig.GetDeviceID());
        });
}
BENCHMARK(SettingsReadsOfOneNote)->Iterations(5000);
