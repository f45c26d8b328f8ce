#include "PipeWireServer.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "ChildProcess.h"
#include "CommandOutput.h"

namespace {

using namespace std::chrono_literals;

constexpr const char* NullSink = R"(context.objects = [
  { factory = adapter
    args = {
      factory.name = support.null-audio-sink
      node.name = klavora_null
      node.description = "Klavora null sink"
      media.class = Audio/Sink
      audio.position = [ FL FR ]
      audio.rate = 48000
    }
  }
]
)";

// The session: the three programs in the background, until the test's end
// of the lifeline closes (the test ended or died); then the whole process
// group goes.
std::string SessionScript(const std::string& Folder)
{
    return "trap 'kill 0' EXIT\n"
           "export XDG_RUNTIME_DIR=" + Folder + "runtime XDG_CONFIG_HOME=" + Folder + "config XDG_STATE_HOME=" +
           Folder + "state\n"
           "pipewire &\n"
           "while [ ! -S " + Folder + "runtime/pipewire-0 ]; do sleep 0.02; done\n"
           "wireplumber &\n"
           "pipewire-pulse &\n"
           "read Ended\n";
}

}

bool PipeWireInstalled()
{
    return !Output("command -v pipewire && command -v wireplumber && command -v pipewire-pulse && "
                   "command -v dbus-run-session").empty();
}

TPipeWireServer::TPipeWireServer() : Runtime("PIPEWIRE_RUNTIME_DIR", Folder / "runtime")
{
    for (const char* Inside : {"runtime", "config/pipewire/pipewire.conf.d", "state"})
        std::filesystem::create_directories(Folder / Inside);
    std::filesystem::permissions(Folder / "runtime", std::filesystem::perms::owner_all);
    Folder.Write("config/pipewire/pipewire.conf.d/klavora-null-sink.conf", NullSink);
    Folder.Write("session", SessionScript(Folder.Path()));
    Start();
}

TPipeWireServer::~TPipeWireServer()
{
    Kill();
}

std::string TPipeWireServer::PulseAddress() const
{
    return "unix:" + Folder / "runtime/pulse/native";
}

void TPipeWireServer::Start()
{
    Problem.clear();
    if (!PipeWireInstalled()) {
        Problem = "pipewire, wireplumber, pipewire-pulse or dbus-run-session is not installed";
        return;
    }
    int Pipe[2];
    if (pipe2(Pipe, O_CLOEXEC) != 0) {
        Problem = "cannot make a pipe";
        return;
    }
    Session = ForkChild();
    if (Session == 0) {
        // A process group of its own, which Kill ends whole.
        setsid();
        dup2(Pipe[0], STDIN_FILENO);
        const std::string Script = Folder / "session";
        execlp("dbus-run-session", "dbus-run-session", "--", "sh", Script.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(Pipe[0]);
    Lifeline = Pipe[1];
    const std::string Pulse = "pactl --server=" + PulseAddress() + " info >/dev/null 2>&1 && echo yes";
    const auto Deadline = std::chrono::steady_clock::now() + 20s;
    while (std::chrono::steady_clock::now() < Deadline) {
        if (!PipeWireNode("klavora_null").empty() && !Output(Pulse).empty())
            return;
        if (waitpid(Session, nullptr, WNOHANG) == Session) {
            Session = 0;
            Problem = "PipeWire's session stopped right after it started";
            Kill();
            return;
        }
        std::this_thread::sleep_for(50ms);
    }
    Problem = "PipeWire did not answer within 20 s";
    Kill();
}

void TPipeWireServer::Kill()
{
    if (Lifeline >= 0)
        close(Lifeline);
    Lifeline = -1;
    if (Session <= 0)
        return;
    kill(-Session, SIGKILL);
    waitpid(Session, nullptr, 0);
    Session = 0;
    // What the server left in its runtime folder would answer no one.
    std::error_code Error;
    for (const auto& Entry : std::filesystem::directory_iterator(Folder / "runtime", Error))
        std::filesystem::remove_all(Entry.path(), Error);
}

std::string PipeWireNode(const std::string& NodeName)
{
    const std::string Dump = Output("pw-dump 2>/dev/null");
    const size_t Name = Dump.find("\"node.name\": \"" + NodeName + "\"");
    if (Name == std::string::npos)
        return {};
    const size_t Start = Dump.rfind("\"type\": \"PipeWire:Interface:Node\"", Name);
    const size_t End = Dump.find("\"type\": ", Name);
    const size_t From = Start == std::string::npos ? 0 : Start;
    return Dump.substr(From, End == std::string::npos ? std::string::npos : End - From);
}
