#include <benchmark/benchmark.h>

#include "ErrorRecorder.h"
#include "LatencyCounters.h"
#include "TemporaryFolder.h"
#include "config/KlavoraConfigRoutines.h"
#include "config/ProfileFile.h"

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

// A note's settings from a 60 MB settings file (a file grown by some other
// program): Arg 0 is the settings store itself, which treats a file over
// 1 MiB as one that cannot be read; Arg 1 reads the same file as a profile
// file of any other kind, whole, as every note would without that limit.
static void SettingsOfOneNoteFromASixtyMegabyteFile(benchmark::State& State)
{
    TErrorRecorder Errors;
    TTemporaryProgramFolder Folder(KLAVORA_PROGRAM_DIR);
    Folder.Write("Setup.ini", "[Keyboard]\nChannel=5\n" + std::string(60'000'000, '\n'));
    KlavoraConfigStart();
    const bool WholeFile = State.range(0) == 1;
    TLatencyCounters Latency(State);
    for (auto _ : State)
        Latency.Time([&] {
            if (WholeFile) {
                const TProfileSnapshot Whole(Folder / "Setup.ini", ProfileSizeLimit);
                benchmark::DoNotOptimize(Whole.ReadInteger("Keyboard", "Channel", 0));
            } else {
                benchmark::DoNotOptimize(KeyboardConfig.GetNoteSettings());
            }
        });
}
BENCHMARK(SettingsOfOneNoteFromASixtyMegabyteFile)->Arg(0)->Iterations(2000);
BENCHMARK(SettingsOfOneNoteFromASixtyMegabyteFile)->Arg(1)->Iterations(20);
