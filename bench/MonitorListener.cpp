#include "MonitorListener.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

namespace {

using TClock = std::chrono::steady_clock;

constexpr double Rate = 48000.0;

}

TMonitorListener::TMonitorListener()
{
    int Pipe[2];
    if (pipe(Pipe) != 0)
        return;
    Recorder = fork();
    if (Recorder == 0) {
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        dup2(Pipe[1], STDOUT_FILENO);
        close(Pipe[0]);
        const int Null = open("/dev/null", O_WRONLY);
        dup2(Null, STDERR_FILENO);
        execlp("parec", "parec", "--device=klavora_null.monitor", "--raw", "--format=float32le", "--rate=48000",
               "--channels=1", "--latency-msec=1", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(Pipe[1]);
    Reader = std::thread(&TMonitorListener::Listen, this, Pipe[0]);
    // The null sink takes the listener's short latency once the long block
    // it rendered while nobody listened is over.
    for (int Try = 0; Try < 500 && !Runs(); ++Try)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

TMonitorListener::~TMonitorListener()
{
    if (Recorder > 0) {
        kill(Recorder, SIGKILL);
        waitpid(Recorder, nullptr, 0);
    }
    if (Reader.joinable())
        Reader.join();
}

void TMonitorListener::Listen(int Pipe)
{
    char Bytes[1024];
    size_t Kept = 0;
    for (;;) {
        const ssize_t Read = read(Pipe, Bytes + Kept, sizeof Bytes - Kept);
        if (Read <= 0)
            break;
        const auto At = TClock::now();
        Kept += static_cast<size_t>(Read);
        // A sample split between two reads is completed by the next one.
        float Whole[sizeof Bytes / sizeof(float)];
        const size_t Count = Kept / sizeof(float);
        std::memcpy(Whole, Bytes, Count * sizeof(float));
        std::memmove(Bytes, Bytes + Count * sizeof(float), Kept - Count * sizeof(float));
        Kept -= Count * sizeof(float);
        std::lock_guard Guard(Lock);
        Heard.insert(Heard.end(), Whole, Whole + Count);
        Arrivals.push_back({Heard.size(), At});
    }
    close(Pipe);
}

bool TMonitorListener::Runs() const
{
    std::lock_guard Guard(Lock);
    return !Heard.empty();
}

std::vector<float> TMonitorListener::Samples() const
{
    std::lock_guard Guard(Lock);
    return Heard;
}

TClock::time_point TMonitorListener::HeardAt(size_t Frame) const
{
    std::lock_guard Guard(Lock);
    const auto Arrival = std::upper_bound(Arrivals.begin(), Arrivals.end(), Frame,
                                          [](size_t Wanted, const TArrival& Each) { return Wanted < Each.End; });
    if (Arrival == Arrivals.end())
        return TClock::time_point::max();
    const double Later = static_cast<double>(Arrival->End - Frame) / Rate;
    return Arrival->At - std::chrono::microseconds(static_cast<int64_t>(Later * 1e6));
}
