// Plays the program with real key events and listens to what the PulseAudio
// sink "klavora_null" of the server in PULSE_SERVER plays, under the X
// display in DISPLAY, with the default settings (the mapper plays the
// built-in synthesizer):
//
//   klavora_keytosound_probe PROGRAM
//
// It reports the time from each key press to the start of its note's sound
// leaving the sink, over 20 notes while the sound plays and 3 notes each
// after the program's sound output has paused; the CPU time the program
// uses while paused for 10 s; its resident memory; the stream's names.

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "MonitorListener.h"
#include "CommandOutput.h"

namespace {

using namespace std::chrono_literals;
using TClock = std::chrono::steady_clock;

// User plus system CPU time of the process, in milliseconds.
double CPUMilliseconds(pid_t Program)
{
    std::ifstream Stat("/proc/" + std::to_string(Program) + "/stat");
    const std::string Text((std::istreambuf_iterator<char>(Stat)), std::istreambuf_iterator<char>());
    std::istringstream Fields(Text.substr(Text.rfind(')') + 2));
    std::vector<std::string> Values{std::istream_iterator<std::string>(Fields), {}};
    if (Values.size() < 13)
        return -1.0;
    // Fields 14 and 15 of the line; the state (field 3) is the first here.
    const long Ticks = std::stol(Values[11]) + std::stol(Values[12]);
    return 1000.0 * static_cast<double>(Ticks) / static_cast<double>(sysconf(_SC_CLK_TCK));
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

bool OutputCorked()
{
    return Output("pactl list sink-inputs 2>/dev/null").find("Corked: yes") != std::string::npos;
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

}

int main(int Argc, char** Argv)
{
    if (Argc != 2) {
        std::fprintf(stderr, "usage: %s PROGRAM\n", Argv[0]);
        return 2;
    }
    TMonitorListener Ear;
    if (!Ear.Runs()) {
        std::fprintf(stderr, "nothing heard from the sink's monitor\n");
        return 1;
    }
    const pid_t Program = fork();
    if (Program == 0) {
        const int Null = open("/dev/null", O_WRONLY);
        dup2(Null, STDERR_FILENO);
        execl(Argv[1], Argv[1], static_cast<char*>(nullptr));
        _exit(127);
    }
    std::string Window = Output("timeout 10 xdotool search --sync --onlyvisible --name '^Klavora Lite v2.9$'");
    Display* X = XOpenDisplay(nullptr);
    if (Window.empty() || X == nullptr) {
        std::fprintf(stderr, "no window appeared\n");
        kill(Program, SIGKILL);
        return 1;
    }
    XSetInputFocus(X, std::stoul(Window), RevertToParent, CurrentTime);
    XSync(X, False);
    // The SoundFont loads and the first program change plays meanwhile.
    std::this_thread::sleep_for(1s);
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
        for (int Try = 0; Try < 200 && !OutputCorked(); ++Try)
            std::this_thread::sleep_for(50ms);
        if (Note == 0) {
            const double Before = CPUMilliseconds(Program);
            std::this_thread::sleep_for(10s);
            IdleCPU = CPUMilliseconds(Program) - Before;
        }
        AfterPause.push_back(Press());
    }
    std::this_thread::sleep_for(300ms);

    Report("key to sound while the sound plays", SoundDelays(Ear, Playing), Playing.size());
    Report("key to sound after the output paused", SoundDelays(Ear, AfterPause), AfterPause.size());
    std::printf("CPU time while paused for 10 s: %.0f ms\n", IdleCPU);
    std::printf("resident memory: %s\n", StatusLine(Program, "VmRSS:").c_str() + 6);
    const std::string Inputs = Output("pactl list sink-inputs 2>/dev/null | grep -E 'application.name|media.name'");
    std::printf("stream: %s", Inputs.empty() ? "none\n" : Inputs.c_str());
    kill(Program, SIGTERM);
    waitpid(Program, nullptr, 0);
    XCloseDisplay(X);
    return 0;
}
