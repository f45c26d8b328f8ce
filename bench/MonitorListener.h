#pragma once

#include <sys/types.h>

#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "SoundMeasures.h"

// What the PulseAudio sink "klavora_null" plays, heard live from its monitor
// through parec (with 1 ms of latency asked for): mono samples at 48 kHz,
// each with the time it reached the listener. The server is the one
// PULSE_SERVER names.
class TMonitorListener {
public:
    TMonitorListener();
    ~TMonitorListener();
    TMonitorListener(const TMonitorListener&) = delete;
    TMonitorListener& operator=(const TMonitorListener&) = delete;

    // Whether sound arrives.
    bool Runs() const;
    // Whether it hears the sink's monitor: sound arrives.
    bool Linked() const { return Runs(); }
    std::vector<float> Samples() const;
    // When the frame Frame reached the listener.
    std::chrono::steady_clock::time_point HeardAt(size_t Frame) const;

private:
    void Listen(int Pipe);

    struct TArrival {
        size_t End;
        std::chrono::steady_clock::time_point At;
    };

    pid_t Recorder = 0;
    std::thread Reader;
    mutable std::mutex Lock;
    std::vector<float> Heard;
    std::vector<TArrival> Arrivals;
};

// How long after each of Sent the sound Ear heard started (louder than
// -30 dBFS after 50 ms under it), in milliseconds; a note never heard is left
// out.
template <typename TEar>
std::vector<double> SoundDelays(const TEar& Ear, const std::vector<std::chrono::steady_clock::time_point>& Sent)
{
    const std::vector<float> Sound = Ear.Samples();
    const std::vector<size_t> Starts = Onsets(Sound, 0.03f, 2400);
    std::vector<double> Delays;
    for (const auto& At : Sent)
        for (const size_t Start : Starts)
            if (const auto Heard = Ear.HeardAt(Start); Heard >= At) {
                Delays.push_back(std::chrono::duration<double, std::milli>(Heard - At).count());
                break;
            }
    return Delays;
}
