#include "JACKServer.h"

#include <execinfo.h>
#include <fcntl.h>
#include <jack/jack.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "midi/SoundSystemRoutines.h"

namespace {

using namespace std::chrono_literals;

constexpr const char* LockPath = "/tmp/klavora-jack-server.lock";
const std::string StoppedAtOnce = "jackd stopped right after it started:";

// The names the tests' servers take, in turn. A server whose program died
// before it could wait for it stays a zombie where nothing reaps orphans, and
// JACK then holds its name as taken and one of its few server slots as used:
// the next name stands in, and reusing the same few names lets JACK reclaim
// the slots of servers that did end.
constexpr int ServerNames = 4;
// Whether JACK_DEFAULT_SERVER is one of those names rather than the caller's.
bool NamedHere = false;

std::string ServerName(int Turn)
{
    return "klavora-test-" + std::to_string(Turn);
}

// A test that crashes in a JACK client prints where, as CI keeps only its
// output.
void PrintBacktrace(int Signal)
{
    void* Frames[64];
    const int Count = backtrace(Frames, 64);
    const char Heading[] = "\nCrashed; the stack, innermost first:\n";
    [[maybe_unused]] const ssize_t Written = write(STDERR_FILENO, Heading, sizeof Heading - 1);
    backtrace_symbols_fd(Frames, Count, STDERR_FILENO);
    signal(Signal, SIG_DFL);
    raise(Signal);
}

// A handler already there, a sanitizer's, says more and stays.
void ReportCrashes()
{
    for (const int Signal : {SIGSEGV, SIGBUS, SIGABRT}) {
        struct sigaction Current {};
        if (sigaction(Signal, nullptr, &Current) == 0 && Current.sa_handler == SIG_DFL)
            signal(Signal, PrintBacktrace);
    }
}

// What the server wrote last, for the reason it stopped.
std::string LastLines(const std::string& Path)
{
    std::ifstream File(Path);
    std::deque<std::string> Lines;
    for (std::string Line; std::getline(File, Line);) {
        Lines.push_back(Line);
        if (Lines.size() > 5)
            Lines.pop_front();
    }
    std::string Text;
    for (const std::string& Line : Lines)
        Text += "\n  " + Line;
    return Text;
}

// Waits up to Limit for the child to end; whether it did.
bool Reaped(pid_t Child, std::chrono::milliseconds Limit)
{
    const auto Deadline = std::chrono::steady_clock::now() + Limit;
    while (std::chrono::steady_clock::now() < Deadline) {
        if (waitpid(Child, nullptr, WNOHANG) == Child)
            return true;
        std::this_thread::sleep_for(10ms);
    }
    return false;
}

}

bool JACKServerRuns()
{
    PrepareSoundSystems();
    jack_client_t* Client = jack_client_open("Klavora probe", JackNoStartServer, nullptr);
    if (Client == nullptr)
        return false;
    jack_client_close(Client);
    return true;
}

bool JACKServerInstalled()
{
    std::istringstream Path(std::getenv("PATH") != nullptr ? std::getenv("PATH") : "/usr/bin:/bin");
    std::string Folder;
    while (std::getline(Path, Folder, ':'))
        if (!Folder.empty() && access((std::filesystem::path(Folder) / "jackd").c_str(), X_OK) == 0)
            return true;
    return false;
}

TJACKServer::TJACKServer()
{
    LockFile = open(LockPath, O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (LockFile < 0 || flock(LockFile, LOCK_EX) != 0) {
        Problem = "cannot take the lock file " + std::string(LockPath);
        return;
    }
    if (std::getenv("JACK_DEFAULT_SERVER") == nullptr) {
        setenv("JACK_DEFAULT_SERVER", ServerName(1).c_str(), 1);
        NamedHere = true;
    }
    ReportCrashes();
    LogPath = "/tmp/klavora-jackd-" + std::to_string(getpid()) + ".log";
    if (!JACKServerRuns())
        Start();
}

TJACKServer::~TJACKServer()
{
    Stop();
    std::remove(LogPath.c_str());
    if (LockFile >= 0)
        close(LockFile);
}

bool TJACKServer::Kill()
{
    if (Started == 0)
        return false;
    kill(Started, SIGKILL);
    Reaped(Started, 5000ms);
    Started = 0;
    return true;
}

void TJACKServer::Start()
{
    if (!JACKServerInstalled()) {
        Problem = "jackd is not installed";
        return;
    }
    StartNamed();
    for (int Turn = 1; NamedHere && Turn <= ServerNames && !Runs() && Problem.rfind(StoppedAtOnce, 0) == 0; ++Turn) {
        setenv("JACK_DEFAULT_SERVER", ServerName(Turn).c_str(), 1);
        StartNamed();
    }
}

void TJACKServer::StartNamed()
{
    Problem.clear();
    const pid_t Parent = getpid();
    Started = fork();
    if (Started < 0) {
        Started = 0;
        Problem = "cannot start jackd";
        return;
    }
    if (Started == 0) {
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != Parent)
            _exit(1);
        const int Null = open("/dev/null", O_RDWR);
        const int Log = open(LogPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(Null, STDIN_FILENO);
        dup2(Log, STDOUT_FILENO);
        dup2(Log, STDERR_FILENO);
        // Real-time scheduling where the system grants it, as musicians run
        // JACK; the server falls back to normal scheduling by itself.
        execlp("jackd", "jackd", "-n", std::getenv("JACK_DEFAULT_SERVER"), "-d", "dummy", "-r", "48000", "-p", "256",
               static_cast<char*>(nullptr));
        _exit(127);
    }
    const auto Deadline = std::chrono::steady_clock::now() + 10s;
    while (std::chrono::steady_clock::now() < Deadline) {
        if (JACKServerRuns())
            return;
        if (waitpid(Started, nullptr, WNOHANG) == Started) {
            Started = 0;
            Problem = StoppedAtOnce + LastLines(LogPath);
            return;
        }
        std::this_thread::sleep_for(20ms);
    }
    Problem = "jackd did not answer within 10 s";
    Stop();
}

void TJACKServer::Stop()
{
    if (Started == 0)
        return;
    kill(Started, SIGTERM);
    if (!Reaped(Started, 5000ms)) {
        kill(Started, SIGKILL);
        Reaped(Started, 5000ms);
    }
    Started = 0;
}
