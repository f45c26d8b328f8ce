// Starts the program under the X display in DISPLAY and measures what a user
// feels: the time from exec to the main window being mapped, the resident
// memory once it is idle, and the CPU time it uses while idle.
//
//   klavora_startup_probe PROGRAM RUNS
//
// Each run starts PROGRAM, waits for its main window to map, lets it settle
// for a second, reads its resident memory and ends it with SIGTERM. The first
// run warms the caches and is not counted; the last one also idles 10 s.

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using TClock = std::chrono::steady_clock;

constexpr const char* MainWindowName = "Klavora Lite v2.9";

bool IsMainWindow(Display* X, Window Candidate)
{
    // The title comes as UTF-8 text, which XFetchName does not return.
    XTextProperty Title{};
    if (XGetWMName(X, Candidate, &Title) == 0 || Title.value == nullptr)
        return false;
    const bool Found = std::string(reinterpret_cast<const char*>(Title.value), Title.nitems) == MainWindowName;
    XFree(Title.value);
    return Found;
}

// The part of the resident memory in the JACK server's shared memory, which
// every JACK client maps whole; it is the server's, not the program's.
long JACKSharedKiB(pid_t Program)
{
    std::ifstream Maps("/proc/" + std::to_string(Program) + "/smaps");
    std::string Line;
    bool InJACK = false;
    long Total = 0;
    while (std::getline(Maps, Line)) {
        // A mapping's header starts with its address range, "start-end".
        if (Line.substr(0, Line.find(' ')).find('-') != std::string::npos)
            InJACK = Line.find("/dev/shm/jack") != std::string::npos;
        else if (InJACK && Line.rfind("Rss:", 0) == 0)
            Total += std::strtol(Line.c_str() + 4, nullptr, 10);
    }
    return Total;
}

long ResidentKiB(pid_t Program)
{
    std::ifstream StatusFile("/proc/" + std::to_string(Program) + "/status");
    std::string Line;
    while (std::getline(StatusFile, Line))
        if (Line.rfind("VmRSS:", 0) == 0)
            return std::strtol(Line.c_str() + 6, nullptr, 10);
    return -1;
}

// User plus system CPU time of the process, in milliseconds.
double CPUMilliseconds(pid_t Program)
{
    std::ifstream Stat("/proc/" + std::to_string(Program) + "/stat");
    std::string Text((std::istreambuf_iterator<char>(Stat)), std::istreambuf_iterator<char>());
    std::istringstream Fields(Text.substr(Text.rfind(')') + 2));
    std::string Field;
    long Ticks = 0;
    for (int Index = 3; Fields >> Field; ++Index) {
        if (Index == 14 || Index == 15)
            Ticks += std::stol(Field);
        if (Index == 15)
            break;
    }
    return 1000.0 * static_cast<double>(Ticks) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

struct TRun {
    double MapMilliseconds = -1;
    long ResidentKiB = -1;
    long JACKSharedKiB = 0;
    double IdleCPUMilliseconds = -1;
};

TRun RunOnce(Display* X, const char* Program, bool MeasureIdle)
{
    TRun Run;
    XSelectInput(X, DefaultRootWindow(X), SubstructureNotifyMask);
    XSync(X, True);
    const auto Start = TClock::now();
    const pid_t Child = fork();
    if (Child == 0) {
        const int Null = open("/dev/null", O_WRONLY);
        dup2(Null, STDERR_FILENO);
        execl(Program, Program, static_cast<char*>(nullptr));
        _exit(127);
    }
    const auto Deadline = Start + std::chrono::seconds(10);
    while (TClock::now() < Deadline && Run.MapMilliseconds < 0) {
        while (XPending(X) > 0) {
            XEvent Event;
            XNextEvent(X, &Event);
            if (Event.type == MapNotify && IsMainWindow(X, Event.xmap.window))
                Run.MapMilliseconds = std::chrono::duration<double, std::milli>(TClock::now() - Start).count();
        }
        if (Run.MapMilliseconds < 0)
            std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    std::this_thread::sleep_for(std::chrono::seconds(1));
    Run.ResidentKiB = ResidentKiB(Child);
    Run.JACKSharedKiB = JACKSharedKiB(Child);
    if (MeasureIdle) {
        const double Before = CPUMilliseconds(Child);
        std::this_thread::sleep_for(std::chrono::seconds(10));
        Run.IdleCPUMilliseconds = CPUMilliseconds(Child) - Before;
    }
    kill(Child, SIGTERM);
    waitpid(Child, nullptr, 0);
    XSelectInput(X, DefaultRootWindow(X), NoEventMask);
    return Run;
}

}

int main(int Argc, char** Argv)
{
    if (Argc != 3) {
        std::fprintf(stderr, "usage: %s PROGRAM RUNS\n", Argv[0]);
        return 2;
    }
    Display* X = XOpenDisplay(nullptr);
    if (X == nullptr) {
        std::fprintf(stderr, "cannot open the X display\n");
        return 1;
    }
    const int Runs = std::max(1, std::atoi(Argv[2]));
    RunOnce(X, Argv[1], false);
    std::vector<double> Maps;
    TRun Last;
    for (int Index = 0; Index < Runs; ++Index) {
        Last = RunOnce(X, Argv[1], Index == Runs - 1);
        Maps.push_back(Last.MapMilliseconds);
        std::printf("run %d: window mapped after %.1f ms, %ld KiB resident\n", Index + 1, Last.MapMilliseconds,
                    Last.ResidentKiB);
    }
    std::sort(Maps.begin(), Maps.end());
    std::printf("start-up to the main window (median of %d): %.1f ms\n", Runs, Maps[Maps.size() / 2]);
    std::printf("resident memory when idle: %.1f MiB, of which %.1f MiB the JACK server's shared memory\n",
                static_cast<double>(Last.ResidentKiB) / 1024.0, static_cast<double>(Last.JACKSharedKiB) / 1024.0);
    std::printf("CPU time while idle for 10 s: %.0f ms\n", Last.IdleCPUMilliseconds);
    XCloseDisplay(X);
    return 0;
}
