#include "PulseAudioServer.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "CommandOutput.h"

namespace {

using namespace std::chrono_literals;

constexpr const char* Configuration = "load-module module-null-sink sink_name=klavora_null rate=48000 "
                                      "channels=2 format=float32le\n"
                                      "set-default-sink klavora_null\n";

// Starts Arguments with standard output and error thrown away, the child
// ending with the test program; its process id.
pid_t Spawn(const std::vector<std::string>& Arguments, const std::string& Output = "/dev/null")
{
    const pid_t Parent = getpid();
    const pid_t Child = fork();
    if (Child != 0)
        return Child;
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != Parent)
        _exit(1);
    const int Null = open("/dev/null", O_RDWR);
    const int Out = open(Output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    dup2(Null, STDIN_FILENO);
    dup2(Out, STDOUT_FILENO);
    dup2(Null, STDERR_FILENO);
    std::vector<char*> Pointers;
    for (const std::string& Argument : Arguments)
        Pointers.push_back(const_cast<char*>(Argument.c_str()));
    Pointers.push_back(nullptr);
    execvp(Pointers[0], Pointers.data());
    _exit(127);
}

void End(pid_t& Child, int Signal)
{
    if (Child <= 0)
        return;
    kill(Child, Signal);
    waitpid(Child, nullptr, 0);
    Child = 0;
}

}

bool PulseAudioInstalled()
{
    return !Output("command -v pulseaudio 2>/dev/null").empty();
}

TPulseAudioServer::TPulseAudioServer()
{
    if (const char* Former = std::getenv("PULSE_SERVER"))
        FormerAddress = Former;
    setenv("PULSE_SERVER", Address().c_str(), 1);
    Folder.Write("server.pa", std::string(Configuration) + "load-module module-native-protocol-unix socket=" +
                                  Folder / "native" + " auth-anonymous=1\n");
    Start();
}

TPulseAudioServer::~TPulseAudioServer()
{
    End(Server, SIGTERM);
    if (FormerAddress)
        setenv("PULSE_SERVER", FormerAddress->c_str(), 1);
    else
        unsetenv("PULSE_SERVER");
}

std::string TPulseAudioServer::Address() const
{
    return "unix:" + Folder / "native";
}

void TPulseAudioServer::Start()
{
    Problem.clear();
    if (!PulseAudioInstalled()) {
        Problem = "pulseaudio is not installed";
        return;
    }
    // The server's runtime and configuration files stay in the folder.
    Server = Spawn({"env", "XDG_RUNTIME_DIR=" + Folder.Path(), "XDG_CONFIG_HOME=" + Folder.Path(), "pulseaudio",
                    "-n", "-F", Folder / "server.pa", "--daemonize=no", "--exit-idle-time=-1", "--use-pid-file=no"});
    const auto Deadline = std::chrono::steady_clock::now() + 10s;
    while (std::chrono::steady_clock::now() < Deadline) {
        if (Control("info").find("klavora_null") != std::string::npos)
            return;
        if (waitpid(Server, nullptr, WNOHANG) == Server) {
            Server = 0;
            Problem = "pulseaudio stopped right after it started";
            return;
        }
        std::this_thread::sleep_for(20ms);
    }
    Problem = "pulseaudio did not answer within 10 s";
    End(Server, SIGKILL);
}

void TPulseAudioServer::Kill()
{
    End(Server, SIGKILL);
}

std::string TPulseAudioServer::Control(const std::string& Arguments) const
{
    return Output("pactl --server=" + Address() + " " + Arguments + " 2>/dev/null");
}

TSinkRecording::TSinkRecording(const std::string& ServerAddress)
{
    Recorder = Spawn({"parec", "--server=" + ServerAddress, "--device=klavora_null.monitor", "--raw",
                      "--format=float32le", "--rate=48000", "--channels=2", "--latency-msec=5"},
                     Folder / "sink.raw");
    // The null sink renders ahead in long blocks while nothing listens, and
    // takes parec's short latency only once its current block is over: the
    // recording starts when the first sound (silence, mostly) has arrived.
    const auto Heard = [this] {
        std::error_code Error;
        const auto Size = std::filesystem::file_size(Folder / "sink.raw", Error);
        return !Error && Size > 0;
    };
    for (int Try = 0; Try < 250 && !Heard(); ++Try)
        std::this_thread::sleep_for(20ms);
}

TSinkRecording::~TSinkRecording()
{
    Stop();
}

void TSinkRecording::Stop()
{
    End(Recorder, SIGINT);
}

std::vector<float> TSinkRecording::Samples() const
{
    std::ifstream File(Folder / "sink.raw", std::ios::binary);
    std::vector<float> Mixed;
    float Frame[2];
    while (File.read(reinterpret_cast<char*>(Frame), sizeof Frame))
        Mixed.push_back((Frame[0] + Frame[1]) / 2);
    return Mixed;
}

double TSinkRecording::PeakLevel() const
{
    const std::string Statistics =
        Output("sox -t raw -r 48000 -e floating-point -b 32 -c 2 " + Folder / "sink.raw" + " -n stats 2>&1");
    const size_t Line = Statistics.find("Pk lev dB");
    return Line == std::string::npos ? -1000.0 : std::strtod(Statistics.c_str() + Line + 9, nullptr);
}
