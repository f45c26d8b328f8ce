#include "app/StopSignalRoutines.h"

#include <csignal>
#include <memory>
#include <utility>

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>

namespace {

constexpr int StopSignals[] = {SIGTERM, SIGINT, SIGHUP};

// The signal handler notes the signal and writes one byte here; the event
// loop reads it.
volatile std::sig_atomic_t SignalReceived = 0;
int WakePipe[2] = {-1, -1};
std::unique_ptr<QSocketNotifier> WakeNotifier;
std::function<void()> StopProgram;

void OnStopSignal(int)
{
    SignalReceived = 1;
    const char Byte = 1;
    [[maybe_unused]] const ssize_t Written = write(WakePipe[1], &Byte, 1);
}

void OnWake()
{
    char Bytes[16];
    while (read(WakePipe[0], Bytes, sizeof Bytes) > 0) {
    }
    if (StopProgram)
        StopProgram();
}

}

void StopSignalsStart()
{
    SignalReceived = 0;
    if (pipe2(WakePipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    struct sigaction Action = {};
    Action.sa_handler = OnStopSignal;
    sigemptyset(&Action.sa_mask);
    Action.sa_flags = SA_RESTART;
    for (int Signal : StopSignals)
        sigaction(Signal, &Action, nullptr);
}

void StopSignalsWatch(std::function<void()> Stop)
{
    if (WakePipe[0] == -1)
        return;
    StopProgram = std::move(Stop);
    WakeNotifier = std::make_unique<QSocketNotifier>(WakePipe[0], QSocketNotifier::Read);
    QObject::connect(WakeNotifier.get(), &QSocketNotifier::activated, OnWake);
}

bool StopSignalReceived()
{
    return SignalReceived != 0;
}

void StopSignalsStop()
{
    for (int Signal : StopSignals)
        std::signal(Signal, SIG_DFL);
    WakeNotifier.reset();
    StopProgram = nullptr;
    for (int& End : WakePipe) {
        if (End != -1)
            close(End);
        End = -1;
    }
}
