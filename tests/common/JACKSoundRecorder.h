#pragma once

#include <jack/jack.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

// A JACK client of the test's own whose input port "in" records what reaches
// it (all its connections mixed), up to a minute, with the time each frame is
// heard: the start of the cycle after the one that carried it, by the JACK
// clock, plus its place in that cycle.
class TJACKSoundRecorder {
public:
    TJACKSoundRecorder();
    ~TJACKSoundRecorder();
    TJACKSoundRecorder(const TJACKSoundRecorder&) = delete;
    TJACKSoundRecorder& operator=(const TJACKSoundRecorder&) = delete;

    bool Runs() const { return Client != nullptr; }
    // Connects an output port to "in"; false when JACK refuses (a client
    // that is not active cannot be connected).
    bool Listen(const std::string& Source);
    // Whether Source feeds "in".
    bool Hears(const std::string& Source) const;

    // The frames recorded so far.
    std::vector<float> Samples() const;
    // When the recorded frame Frame was heard, on the steady clock.
    std::chrono::steady_clock::time_point HeardAt(size_t Frame) const;
    double SampleRate() const { return Rate; }

private:
    static int Process(jack_nframes_t Frames, void* Recorder);

    jack_client_t* Client = nullptr;
    jack_port_t* In = nullptr;
    double Rate = 48000.0;
    // The steady clock's time at the JACK clock's zero.
    std::chrono::steady_clock::time_point JACKEpoch;
    std::vector<float> Recorded;
    // The first frame of each cycle and when its frames are heard, in
    // microseconds of the JACK clock.
    struct TCycle {
        size_t Frame;
        jack_time_t Heard;
    };
    std::vector<TCycle> Cycles;
    std::atomic<size_t> RecordedFrames = 0;
    std::atomic<size_t> RecordedCycles = 0;
};
