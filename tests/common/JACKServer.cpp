#include "JACKServer.h"

#include <fcntl.h>
#include <jack/jack.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <thread>

#include "midi/SoundSystemRoutines.h"

namespace {

using namespace std::chrono_literals;

constexpr const char* LockPath = "/tmp/klavora-jack-server.lock";

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
    if (!JACKServerRuns())
        Start();
}

TJACKServer::~TJACKServer()
{
    Stop();
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
    Problem.clear();
    if (!JACKServerInstalled()) {
        Problem = "jackd is not installed";
        return;
    }
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
        dup2(Null, STDIN_FILENO);
        dup2(Null, STDOUT_FILENO);
        dup2(Null, STDERR_FILENO);
        // Real-time scheduling where the system grants it, as musicians run
        // JACK; the server falls back to normal scheduling by itself.
        execlp("jackd", "jackd", "-d", "dummy", "-r", "48000", "-p", "256", static_cast<char*>(nullptr));
        _exit(127);
    }
    const auto Deadline = std::chrono::steady_clock::now() + 10s;
    while (std::chrono::steady_clock::now() < Deadline) {
        if (JACKServerRuns())
            return;
        if (waitpid(Started, nullptr, WNOHANG) == Started) {
            Started = 0;
            Problem = "jackd stopped right after it started";
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
