#include <benchmark/benchmark.h>

#include <rtmidi/RtMidi.h>

#include <chrono>
#include <thread>

#include "JACKServer.h"
#include "LatencyCounters.h"
#include "core/MIDIMessageRoutines.h"
#include "midi/LinuxMIDIOutService.h"
#include "midi/SoundFontRoutines.h"
#include "midi/SoundSystemRoutines.h"
#include "support/ProgramFolderRoutines.h"

namespace {

constexpr const char* TimGM6mb = "/usr/share/sounds/sf2/TimGM6mb.sf2";

void IgnoreMessage(double, std::vector<unsigned char>*, void*) {}

// What the start step costs on a machine with neither a JACK server nor an
// ALSA sequencer: the SoundFont search and both APIs failing.
void EnumerateWithoutJACKOrALSA(benchmark::State& State)
{
    if (JACKServerRuns()) {
        State.SkipWithError("a JACK server runs");
        return;
    }
    TLatencyCounters Latency(State);
    for (auto _ : State) {
        TLinuxMIDIOutService Service;
        Latency.Time([&] { Service.Enumerate(FindSoundFont(ProgramFolder()), ListSystemPorts()); });
    }
}

// What listing costs the start with a JACK server running (no ALSA
// sequencer here): JACK's client opens and lists, and is kept for the port
// opened later, so its close is not counted. No other client of the process
// holds libjack's set-up between the rounds, as none does at start.
void ListSystemPortsWithJACK(benchmark::State& State)
{
    TJACKServer Server;
    if (!Server.Runs()) {
        State.SkipWithError(Server.Problem.c_str());
        return;
    }
    TLatencyCounters Latency(State);
    for (auto _ : State) {
        Latency.Time([&] { benchmark::DoNotOptimize(ListSystemPorts()); });
        ReleaseSharedJACKMIDIClient();
    }
}

// The same listing through RtMidi's JACK client, opened, counted, named and
// closed, for comparison.
void ListJACKPortsThroughRtMidi(benchmark::State& State)
{
    TJACKServer Server;
    if (!Server.Runs()) {
        State.SkipWithError(Server.Problem.c_str());
        return;
    }
    PrepareSoundSystems();
    TLatencyCounters Latency(State);
    for (auto _ : State)
        Latency.Time([&] {
            RtMidiOut Client(RtMidi::UNIX_JACK, "Klavora");
            for (unsigned Index = 0; Index < Client.getPortCount(); ++Index)
                benchmark::DoNotOptimize(Client.getPortName(Index));
        });
}

// An open JACK port of a receiver of the benchmark's own, behind the service.
class TJACKPortBench {
public:
    explicit TJACKPortBench(benchmark::State& State)
        : Receiver(RtMidi::UNIX_JACK, "Receiver")
    {
        if (!Server.Runs()) {
            State.SkipWithError(Server.Problem.c_str());
            return;
        }
        Receiver.setCallback(IgnoreMessage);
        Receiver.openVirtualPort("in");
        Service.Enumerate("", {{TSystemMIDIAPI::JACK, "Receiver:in"}});
        if (Service.Open(Handle, 0) != MMSYSERR_NOERROR)
            State.SkipWithError("the JACK port did not open");
    }

    TJACKServer Server;
    RtMidiIn Receiver;
    TLinuxMIDIOutService Service;
    HMIDIOUT Handle = 0;
};

// A short message through the service to an open JACK port, at a pace well
// above a player's (one every 200 us), to the return of the call.
void SendOnOpenJACKPort(benchmark::State& State)
{
    TJACKPortBench Port(State);
    const uint32_t Messages[] = {NoteOnMessage(1, 60, 100), NoteOffMessage(1, 60, 0)};
    size_t Next = 0;
    TLatencyCounters Latency(State);
    for (auto _ : State) {
        Latency.Time([&] { benchmark::DoNotOptimize(Port.Service.ShortMsg(Port.Handle, Messages[Next])); });
        Next ^= 1;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
}

// What Reset waits for on a JACK port: the close after All Notes Off on
// every channel, until JACK's next cycle has taken the messages.
void CloseJACKPortAfterAllNotesOff(benchmark::State& State)
{
    TJACKPortBench Port(State);
    TLatencyCounters Latency(State);
    for (auto _ : State) {
        for (int32_t Channel = 1; Channel <= 16; ++Channel)
            Port.Service.ShortMsg(Port.Handle, AllNotesOffMessage(Channel));
        Latency.Time([&] { Port.Service.Close(Port.Handle); });
        Port.Service.Open(Port.Handle, 0);
    }
}

// Opening the built-in synthesizer, rendered only: to the return of the open
// (what the window waits for) and until the SoundFont has loaded.
void OpenSynthesizer(benchmark::State& State, bool UntilLoaded)
{
    TLinuxMIDIOutService Service;
    Service.AudioDrivers.clear();
    Service.Enumerate(TimGM6mb, {});
    TLatencyCounters Latency(State);
    for (auto _ : State) {
        HMIDIOUT Handle = 0;
        Latency.Time([&] {
            Service.Open(Handle, MIDI_MAPPER);
            if (UntilLoaded)
                Service.Synthesizer(Handle)->WaitUntilLoaded();
        });
        Service.Close(Handle);
    }
}

// The same with its audio on the first driver that starts (JACK's dummy
// server where there is no sound hardware), and the latency it configured.
void OpenSynthesizerWithAudio(benchmark::State& State, bool UntilLoaded)
{
    TJACKServer Server;
    TLinuxMIDIOutService Service;
    Service.Enumerate(TimGM6mb, {});
    TLatencyCounters Latency(State);
    for (auto _ : State) {
        HMIDIOUT Handle = 0;
        uint32_t Result = MMSYSERR_NOERROR;
        Latency.Time([&] {
            Result = Service.Open(Handle, MIDI_MAPPER);
            if (Result == MMSYSERR_NOERROR && UntilLoaded)
                Service.Synthesizer(Handle)->WaitUntilLoaded();
        });
        if (Result != MMSYSERR_NOERROR) {
            State.SkipWithError("no audio driver started");
            return;
        }
        State.SetLabel(Service.Synthesizer(Handle)->AudioDriver());
        State.counters["latency_ms"] = Service.Synthesizer(Handle)->ConfiguredLatency() * 1000.0;
        Service.Close(Handle);
    }
}

}

BENCHMARK(EnumerateWithoutJACKOrALSA)->Iterations(30);
BENCHMARK(ListSystemPortsWithJACK)->Iterations(20)->Unit(benchmark::kMillisecond);
BENCHMARK(ListJACKPortsThroughRtMidi)->Iterations(20)->Unit(benchmark::kMillisecond);
BENCHMARK(SendOnOpenJACKPort)->Iterations(5000);
BENCHMARK(CloseJACKPortAfterAllNotesOff)->Iterations(50);
BENCHMARK_CAPTURE(OpenSynthesizer, ToReturn, false)->Iterations(20)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(OpenSynthesizer, UntilLoaded, true)->Iterations(20)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(OpenSynthesizerWithAudio, ToReturn, false)->Iterations(10)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(OpenSynthesizerWithAudio, UntilLoaded, true)->Iterations(10)->Unit(benchmark::kMillisecond);
