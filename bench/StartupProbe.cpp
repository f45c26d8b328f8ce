// Starts programs under the X display in DISPLAY and measures what a user
// feels: the time from exec to the splash window and to the main window being
// mapped, the resident memory once idle, and the CPU time used while idle.
//
//   klavora_startup_probe RUNS LABEL TITLE SPLASH PROGRAM [LABEL TITLE SPLASH PROGRAM]...
//
// Each subject is a program whose main window is titled TITLE (or a title
// starting with it) and whose splash window is titled SPLASH ("-" for none).
// The first subject is the floor every other is compared with. The subjects
// take turns, one start each per round, so that a change of the machine's
// load weighs on all alike. Each start waits for the main window to map, lets
// the program settle for a second, reads its resident memory and ends it with
// SIGTERM. The first round warms the caches and is not counted; in the last
// one each program also idles 10 s.

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

struct TSubject {
    std::string Label;
    std::string Title;
    std::string Splash;
    std::string Program;
};

bool HasTitle(Display* X, Window Candidate, const std::string& Wanted)
{
    if (Wanted.empty())
        return false;
    // The title comes as UTF-8 text, which XFetchName does not return.
    XTextProperty Title{};
    if (XGetWMName(X, Candidate, &Title) == 0 || Title.value == nullptr)
        return false;
    const bool Found = std::string(reinterpret_cast<const char*>(Title.value), Title.nitems).rfind(Wanted, 0) == 0;
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
    double SplashMilliseconds = -1;
    long ResidentKiB = -1;
    long JACKSharedKiB = 0;
    double IdleCPUMilliseconds = -1;
};

TRun RunOnce(Display* X, const TSubject& Subject, bool MeasureIdle)
{
    const char* Program = Subject.Program.c_str();
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
            if (Event.type != MapNotify)
                continue;
            const double Now = std::chrono::duration<double, std::milli>(TClock::now() - Start).count();
            if (Run.SplashMilliseconds < 0 && HasTitle(X, Event.xmap.window, Subject.Splash))
                Run.SplashMilliseconds = Now;
            if (HasTitle(X, Event.xmap.window, Subject.Title))
                Run.MapMilliseconds = Now;
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

double Median(std::vector<double> Values)
{
    std::sort(Values.begin(), Values.end());
    return Values.empty() ? -1 : Values[Values.size() / 2];
}

double MiB(long KiB)
{
    return static_cast<double>(KiB) / 1024.0;
}

}

int main(int Argc, char** Argv)
{
    if (Argc < 6 || (Argc - 2) % 4 != 0) {
        std::fprintf(stderr, "usage: %s RUNS LABEL TITLE SPLASH PROGRAM [LABEL TITLE SPLASH PROGRAM]...\n", Argv[0]);
        return 2;
    }
    Display* X = XOpenDisplay(nullptr);
    if (X == nullptr) {
        std::fprintf(stderr, "cannot open the X display\n");
        return 1;
    }
    const int Runs = std::max(1, std::atoi(Argv[1]));
    std::vector<TSubject> Subjects;
    for (int Index = 2; Index + 3 < Argc; Index += 4)
        Subjects.push_back(TSubject{Argv[Index], Argv[Index + 1],
                                    std::strcmp(Argv[Index + 2], "-") == 0 ? "" : Argv[Index + 2], Argv[Index + 3]});

    for (const TSubject& Subject : Subjects)
        RunOnce(X, Subject, false);
    std::vector<std::vector<double>> Maps(Subjects.size()), Splashes(Subjects.size());
    std::vector<TRun> Last(Subjects.size());
    for (int Round = 0; Round < Runs; ++Round)
        for (size_t Index = 0; Index < Subjects.size(); ++Index) {
            Last[Index] = RunOnce(X, Subjects[Index], Round == Runs - 1);
            Maps[Index].push_back(Last[Index].MapMilliseconds);
            if (!Subjects[Index].Splash.empty())
                Splashes[Index].push_back(Last[Index].SplashMilliseconds);
            std::printf("round %d, %s: main window after %.1f ms, splash after %.1f ms, %ld KiB resident\n",
                        Round + 1, Subjects[Index].Label.c_str(), Last[Index].MapMilliseconds,
                        Last[Index].SplashMilliseconds, Last[Index].ResidentKiB);
        }

    const double Floor = Median(Maps[0]);
    std::printf("\nmedians of %d starts; the floor is %s; resident memory leaves the JACK server's shared "
                "memory out\n",
                Runs, Subjects[0].Label.c_str());
    std::printf("%-36s %18s %18s %10s %10s %12s\n", "", "main window", "splash", "resident", "JACK shm",
                "idle CPU 10s");
    for (size_t Index = 0; Index < Subjects.size(); ++Index) {
        const double Map = Median(Maps[Index]);
        char Splash[32] = "-";
        if (!Splashes[Index].empty()) {
            const double SplashMap = Median(Splashes[Index]);
            std::snprintf(Splash, sizeof Splash, "%.1f ms %.2fx", SplashMap, SplashMap / Floor);
        }
        std::printf("%-36s %9.1f ms %.2fx %18s %6.1f MiB %6.1f MiB %9.0f ms\n", Subjects[Index].Label.c_str(), Map,
                    Map / Floor, Splash, MiB(Last[Index].ResidentKiB - Last[Index].JACKSharedKiB),
                    MiB(Last[Index].JACKSharedKiB), Last[Index].IdleCPUMilliseconds);
    }
    XCloseDisplay(X);
    return 0;
}
