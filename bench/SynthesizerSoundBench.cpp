#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <thread>
#include <vector>

#include "JACKServer.h"
#include "JACKSoundRecorder.h"
#include "MonitorListener.h"
#include "PulseAudioServer.h"
#include "core/MIDIMessageRoutines.h"
#include "midi/MIDIOutService.h"
#include "midi/SynthesizerPort.h"

// The built-in synthesizer on each of its audio outputs: a PulseAudio server
// of the benchmark's own (directly, and through ALSA's PulseAudio device) and
// a JACK server on its dummy driver.

namespace {

using namespace std::chrono_literals;
using TClock = std::chrono::steady_clock;

constexpr const char* TimGM6mb = "/usr/share/sounds/sf2/TimGM6mb.sf2";

// The sound server an output needs, and the synthesizer on that output.
class TSynthesizerOn {
public:
    TSynthesizerOn(benchmark::State& State, const std::string& Output)
    {
        if (Output == "jack")
            JACK.emplace();
        else
            PulseAudio.emplace();
        const std::string Problem = JACK ? JACK->Problem : PulseAudio->Problem;
        if (!Problem.empty()) {
            State.SkipWithError(Problem.c_str());
            return;
        }
        if (Port.Open(TimGM6mb, {Output}) != MMSYSERR_NOERROR || !Port.WaitUntilLoaded())
            State.SkipWithError("the synthesizer did not open");
    }

    void Send(uint32_t Message) { Port.Send(ShortMessageBytes(Message)); }

    // Waits until the output has paused; how long that took.
    double SecondsToPause()
    {
        const auto Start = TClock::now();
        while (!Port.Paused() && TClock::now() - Start < 20s)
            std::this_thread::sleep_for(5ms);
        return std::chrono::duration<double>(TClock::now() - Start).count();
    }

    std::optional<TJACKServer> JACK;
    std::optional<TPulseAudioServer> PulseAudio;
    TSynthesizerPort Port;
};

struct TUsage {
    double CPUMilliseconds;
    long Switches;
};

// The CPU time this process used and how often its threads were switched
// off (each audio period of a running output is one at least).
TUsage Usage()
{
    rusage Now{};
    getrusage(RUSAGE_SELF, &Now);
    const auto Milliseconds = [](const timeval& Time) { return Time.tv_sec * 1000.0 + Time.tv_usec / 1000.0; };
    return {Milliseconds(Now.ru_utime) + Milliseconds(Now.ru_stime), Now.ru_nvcsw + Now.ru_nivcsw};
}

// A note, then the silence until the output pauses (the note's release and
// reverb, then the output's wait), then 10 s of that pause.
void SynthesizerIdle(benchmark::State& State, const std::string& Output)
{
    TSynthesizerOn Synthesizer(State, Output);
    for (auto _ : State) {
        Synthesizer.Send(NoteOnMessage(1, 60, 103));
        std::this_thread::sleep_for(300ms);
        Synthesizer.Send(NoteOffMessage(1, 60, 0));
        State.counters["pause_after_note_off_s"] = Synthesizer.SecondsToPause();
        const TUsage Before = Usage();
        std::this_thread::sleep_for(10s);
        const TUsage After = Usage();
        State.counters["idle_cpu_ms_per_10s"] = After.CPUMilliseconds - Before.CPUMilliseconds;
        State.counters["switches_per_10s"] = static_cast<double>(After.Switches - Before.Switches);
    }
}

double Median(std::vector<double> Values)
{
    if (Values.empty())
        return -1.0;
    std::sort(Values.begin(), Values.end());
    return Values[Values.size() / 2];
}

// From the send of a Note On to its sound heard by Ear: 20 notes while the
// output plays, then 5 notes each after the output has paused.
template <typename TEar>
void MeasureNoteToSound(benchmark::State& State, TSynthesizerOn& Synthesizer, const TEar& Ear)
{
    std::vector<TClock::time_point> Playing;
    std::vector<TClock::time_point> AfterPause;
    for (int Note = 0; Note < 25; ++Note) {
        if (Note >= 20)
            Synthesizer.SecondsToPause();
        (Note < 20 ? Playing : AfterPause).push_back(TClock::now());
        Synthesizer.Send(NoteOnMessage(1, 60, 103));
        std::this_thread::sleep_for(100ms);
        Synthesizer.Send(NoteOffMessage(1, 60, 0));
        // Long enough for the note to die away under the onset's threshold.
        std::this_thread::sleep_for(500ms);
    }
    const std::vector<double> WhilePlaying = SoundDelays(Ear, Playing);
    const std::vector<double> WhenPaused = SoundDelays(Ear, AfterPause);
    State.counters["playing_heard"] = static_cast<double>(WhilePlaying.size());
    State.counters["playing_p50_ms"] = Median(WhilePlaying);
    State.counters["playing_max_ms"] = WhilePlaying.empty() ? -1.0 : *std::max_element(WhilePlaying.begin(), WhilePlaying.end());
    State.counters["after_pause_heard"] = static_cast<double>(WhenPaused.size());
    State.counters["after_pause_p50_ms"] = Median(WhenPaused);
    State.counters["after_pause_max_ms"] = WhenPaused.empty() ? -1.0 : *std::max_element(WhenPaused.begin(), WhenPaused.end());
}

// Heard from the PulseAudio sink's monitor, as it leaves the sink.
void NoteToSoundOnPulseAudio(benchmark::State& State, const std::string& Output)
{
    TSynthesizerOn Synthesizer(State, Output);
    if (State.error_occurred())
        return;
    TMonitorListener Ear;
    if (!Ear.Runs()) {
        State.SkipWithError("parec heard nothing");
        return;
    }
    for (auto _ : State)
        MeasureNoteToSound(State, Synthesizer, Ear);
}

// Heard by a JACK client of the benchmark's own, at the start of the cycle
// in which JACK plays it.
void NoteToSoundOnJACK(benchmark::State& State)
{
    TSynthesizerOn Synthesizer(State, "jack");
    if (State.error_occurred())
        return;
    TJACKSoundRecorder Ear;
    // The synthesizer's client takes part in JACK's cycles once it plays.
    Synthesizer.Send(ProgramChangeMessage(1, 0));
    for (int Try = 0; Try < 200 && !Ear.Listen(std::string(SynthesizerName) + ":left"); ++Try)
        std::this_thread::sleep_for(5ms);
    if (!Ear.Hears(std::string(SynthesizerName) + ":left")) {
        State.SkipWithError("the recorder could not listen");
        return;
    }
    for (auto _ : State)
        MeasureNoteToSound(State, Synthesizer, Ear);
}

}

BENCHMARK_CAPTURE(SynthesizerIdle, PulseAudio, "pulseaudio")->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(SynthesizerIdle, ALSA, "alsa:pulse")->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(SynthesizerIdle, JACK, "jack")->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(NoteToSoundOnPulseAudio, PulseAudio, "pulseaudio")->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(NoteToSoundOnPulseAudio, ALSA, "alsa:pulse")->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(NoteToSoundOnJACK)->Iterations(1)->Unit(benchmark::kSecond);
