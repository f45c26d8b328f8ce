// Plays the program with real key events and listens to what the sink
// "klavora_null" plays, under the X display in DISPLAY, with the default
// settings (the mapper plays the built-in synthesizer):
//
//   klavora_keytosound_probe PROGRAM pulseaudio|pipewire [chord|busy]
//
// The sink is PulseAudio's, of the server in PULSE_SERVER, heard through
// parec; or PipeWire's, of the server the environment names, heard by a
// capture stream of PipeWire's own that lets the sink pause while the
// program's stream does ("busy": that keeps it running, as another program
// playing would).
//
// It reports the time from each key press to the start of its note's sound
// leaving the sink, over 20 notes while the sound plays and 3 notes each
// after the program's sound output has paused; the CPU time the program
// uses while paused for 10 s; its resident memory; the stream's names.
// With "chord", it holds a ten-note chord on the organ for 60 s while two
// threads keep both cores busy instead, and counts the gaps in its sound.

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "CommandOutput.h"
#include "MonitorListener.h"
#include "PipeWireMonitorListener.h"
#include "PipeWireServer.h"
#include "SoundMeasures.h"

namespace {

using namespace std::chrono_literals;
using TClock = std::chrono::steady_clock;

// The CPU time the process's threads have run, in milliseconds, to the
// nanosecond the scheduler counts (the clock ticks of /proc/PID/stat are too
// coarse for a budget of 2 ms).
double CPUMilliseconds(pid_t Program)
{
    const std::filesystem::path Tasks = "/proc/" + std::to_string(Program) + "/task";
    std::error_code Error;
    double Nanoseconds = 0.0;
    for (const auto& Task : std::filesystem::directory_iterator(Tasks, Error)) {
        std::ifstream Schedule(Task.path() / "schedstat");
        double Ran = 0.0;
        if (Schedule >> Ran)
            Nanoseconds += Ran;
    }
    return Error ? -1.0 : Nanoseconds / 1e6;
}

std::string StatusLine(pid_t Program, const std::string& Name)
{
    std::ifstream StatusFile("/proc/" + std::to_string(Program) + "/status");
    std::string Line;
    while (std::getline(StatusFile, Line))
        if (Line.rfind(Name, 0) == 0)
            return Line;
    return Name + " unknown";
}

// Whether the program's output has let go of the sound server.
bool OutputPaused(bool PipeWire)
{
    if (PipeWire) {
        const std::string Node = PipeWireNode("Klavora");
        return !Node.empty() && Node.find("\"state\": \"running\"") == std::string::npos;
    }
    return Output("pactl list sink-inputs 2>/dev/null").find("Corked: yes") != std::string::npos;
}

std::string StreamNames(bool PipeWire)
{
    if (!PipeWire)
        return Output("pactl list sink-inputs 2>/dev/null | grep -E 'application.name|media.name'");
    std::istringstream Node(PipeWireNode("Klavora"));
    std::string Names;
    for (std::string Line; std::getline(Node, Line);)
        for (const char* Key : {"\"application.name\"", "\"node.name\"", "\"media.name\"", "\"media.role\"",
                                "\"node.latency\""})
            if (Line.find(Key) != std::string::npos)
                Names += Line + "\n";
    return Names;
}

void Report(const char* What, std::vector<double> Delays, size_t Played)
{
    std::sort(Delays.begin(), Delays.end());
    if (Delays.empty()) {
        std::printf("%s: no note of %zu heard\n", What, Played);
        return;
    }
    std::printf("%s: %zu of %zu notes heard, median %.1f ms, max %.1f ms\n", What, Delays.size(), Played,
                Delays[Delays.size() / 2], Delays.back());
}


// Keys of the keyboard definition's tracker map: a C major seventh chord
// over two and a half octaves, ten notes.
constexpr KeySym ChordKeys[] = {XK_z, XK_c, XK_b, XK_m, XK_q, XK_e, XK_t, XK_i, XK_p, XK_bracketright};

// Holds the chord for Seconds with both cores kept busy, and reports the
// gaps in its sound: runs of 32 frames or more under -80 dBFS, which a held
// organ chord never has and a cycle that the program missed leaves.
template <typename TEar>
void HoldChord(const TEar& Ear, Display* X, double Seconds)
{
    std::vector<KeyCode> Keys;
    for (const KeySym Key : ChordKeys)
        Keys.push_back(XKeysymToKeycode(X, Key));
    for (const KeyCode Key : Keys)
        XTestFakeKeyEvent(X, Key, True, CurrentTime);
    XFlush(X);
    std::this_thread::sleep_for(1s);
    const size_t From = Ear.Samples().size();
    std::atomic<bool> Busy = true;
    std::vector<std::thread> Loads;
    for (int Core = 0; Core < 2; ++Core)
        Loads.emplace_back([&Busy] {
            volatile uint64_t Spin = 0;
            while (Busy.load(std::memory_order_relaxed))
                Spin = Spin + 1;
        });
    std::this_thread::sleep_for(std::chrono::duration<double>(Seconds));
    Busy = false;
    for (std::thread& Load : Loads)
        Load.join();
    const std::vector<float> Sound = Ear.Samples();
    for (const KeyCode Key : Keys)
        XTestFakeKeyEvent(X, Key, False, CurrentTime);
    XFlush(X);
    constexpr size_t GapFrames = 32;
    size_t Quiet = 0;
    int Gaps = 0;
    for (size_t Frame = From; Frame < Sound.size(); ++Frame) {
        Quiet = std::abs(Sound[Frame]) < 1e-4f ? Quiet + 1 : 0;
        if (Quiet == GapFrames)
            ++Gaps;
    }
    const std::vector<float> Held(Sound.begin() + static_cast<std::ptrdiff_t>(std::min(From, Sound.size())),
                                  Sound.end());
    std::printf("chord held %.0f s with both cores busy: %.1f s heard at %.1f dBFS, %d gaps\n", Seconds,
                static_cast<double>(Held.size()) / 48000.0, Held.empty() ? -1000.0 : 20 * std::log10(Level(Held)),
                Gaps);
}

template <typename TEar>
int Probe(const TEar& Ear, const char* Program, bool PipeWire, bool Chord)
{
    if (!Ear.Linked()) {
        std::fprintf(stderr, "the sink's monitor cannot be heard\n");
        return 1;
    }
    const pid_t Child = fork();
    if (Child == 0) {
        const int Null = open("/dev/null", O_WRONLY);
        dup2(Null, STDERR_FILENO);
        execl(Program, Program, static_cast<char*>(nullptr));
        _exit(127);
    }
    std::string Window = Output("timeout 10 xdotool search --sync --onlyvisible --name '^Klavora Lite v2.9$'");
    Display* X = XOpenDisplay(nullptr);
    if (Window.empty() || X == nullptr) {
        std::fprintf(stderr, "no window appeared\n");
        kill(Child, SIGKILL);
        return 1;
    }
    XSetInputFocus(X, std::stoul(Window), RevertToParent, CurrentTime);
    XSync(X, False);
    // The SoundFont loads and the first program change plays meanwhile.
    std::this_thread::sleep_for(1s);
    if (Chord) {
        HoldChord(Ear, X, 60.0);
    } else {
        const KeyCode Z = XKeysymToKeycode(X, XK_z);
        const auto Press = [&] {
            XTestFakeKeyEvent(X, Z, True, CurrentTime);
            XFlush(X);
            const auto At = TClock::now();
            std::this_thread::sleep_for(100ms);
            XTestFakeKeyEvent(X, Z, False, CurrentTime);
            XFlush(X);
            // Long enough for the note to die away under the onset's threshold.
            std::this_thread::sleep_for(500ms);
            return At;
        };

        std::vector<TClock::time_point> Playing;
        for (int Note = 0; Note < 20; ++Note)
            Playing.push_back(Press());
        std::vector<TClock::time_point> AfterPause;
        double IdleCPU = -1.0;
        for (int Note = 0; Note < 3; ++Note) {
            for (int Try = 0; Try < 200 && !OutputPaused(PipeWire); ++Try)
                std::this_thread::sleep_for(50ms);
            if (Note == 0) {
                const double Before = CPUMilliseconds(Child);
                std::this_thread::sleep_for(10s);
                IdleCPU = CPUMilliseconds(Child) - Before;
            }
            AfterPause.push_back(Press());
        }
        std::this_thread::sleep_for(300ms);

        Report("key to sound while the sound plays", SoundDelays(Ear, Playing), Playing.size());
        Report("key to sound after the output paused", SoundDelays(Ear, AfterPause), AfterPause.size());
        std::printf("CPU time while paused for 10 s: %.2f ms\n", IdleCPU);
        std::printf("resident memory: %s\n", StatusLine(Child, "VmRSS:").c_str() + 6);
        const std::string Names = StreamNames(PipeWire);
        std::printf("stream: %s", Names.empty() ? "none\n" : Names.c_str());
    }
    kill(Child, SIGTERM);
    waitpid(Child, nullptr, 0);
    XCloseDisplay(X);
    return 0;
}

}

int main(int Argc, char** Argv)
{
    const std::string System = Argc >= 3 ? Argv[2] : "";
    const std::string Mode = Argc == 4 ? Argv[3] : "";
    if (Argc < 3 || Argc > 4 || (System != "pulseaudio" && System != "pipewire") ||
        (Argc == 4 && Mode != "chord" && (Mode != "busy" || System != "pipewire"))) {
        std::fprintf(stderr, "usage: %s PROGRAM pulseaudio|pipewire [chord|busy]\n", Argv[0]);
        return 2;
    }
    if (System == "pipewire")
        return Probe(TPipeWireMonitorListener(Mode != "busy"), Argv[1], true, Mode == "chord");
    return Probe(TMonitorListener(), Argv[1], false, Mode == "chord");
}
