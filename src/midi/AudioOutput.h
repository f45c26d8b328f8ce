#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>

#include "midi/AudioBackend.h"

// What an audio output plays: the sound it pulls, period by period, on its
// audio thread, laid out as TAudioFeed::Pull describes.
class TAudioSource {
public:
    virtual ~TAudioSource() = default;
    virtual void RenderAudio(float* Left, float* Right, int Frames, int Stride) = 0;
};

// The stereo sound output of one sound system, its backend. It pulls from
// its source only while there is something to hear: once the sound has been
// silent for IdleSeconds it pauses (no audio thread runs, nothing wakes up),
// and the next Wake resumes it.
//
// Threads: one thread opens and destroys the output; Wake may come from any
// thread; the sound system's audio thread pulls; a worker of the output's own
// pauses and resumes the backend, so that Wake never waits. The worker ends
// before the backend goes.
class TAudioOutput final : private TAudioFeed {
public:
    TAudioOutput(TAudioSource& Source, std::unique_ptr<TAudioBackend> Backend);
    ~TAudioOutput();
    TAudioOutput(const TAudioOutput&) = delete;
    TAudioOutput& operator=(const TAudioOutput&) = delete;

    // Connects to the sound system, paused, and starts the worker; false
    // when the sound system cannot be reached.
    bool Open();
    // Something was handed to the source: a paused output resumes. Never
    // waits, never allocates.
    void Wake();
    // Whether the sound system went away (its server stopped, its device
    // was unplugged); the output then stays silent for good.
    bool Lost() const override { return Gone.load(std::memory_order_acquire); }
    // Whether the output is paused (or has not started yet): it has let go
    // of the sound system, so a note now wakes it from its sleep.
    bool Paused() const { return Asleep.load(std::memory_order_acquire); }

    double SampleRate() const { return Backend->SampleRate(); }
    double Latency() const { return Backend->Latency(); }

    // How long the sound stays silent before the output pauses.
    static constexpr double IdleSeconds = 2.0;

private:
    void Pull(float* Left, float* Right, int Frames, int Stride) override;
    void MarkLost() override;
    bool KeepStreaming() const override;
    void WaitWhileStreaming() override;
    bool AwaitPulling() override;

    void Work();
    void Signal();
    template <class TCondition> void WaitUntil(TCondition Condition);
    void StopWorker();

    TAudioSource& Source;
    std::unique_ptr<TAudioBackend> Backend;
    std::thread Worker;

    // Every change the worker waits for bumps Signals.
    std::atomic<uint32_t> Signals = 0;
    // Counts what Wake was told of.
    std::atomic<uint32_t> Messages = 0;
    std::atomic<bool> Streaming = false;
    // Set once a pause is complete, cleared as the output resumes.
    std::atomic<bool> Asleep = true;
    // The message count the output last paused at.
    std::atomic<uint32_t> PausedAfter = 0;
    std::atomic<bool> Stopping = false;
    std::atomic<bool> Gone = false;
    // Set by the audio thread once the sound has been silent IdleSeconds
    // since the message count IdleAfter; cleared by the worker on resuming.
    std::atomic<bool> Idle = false;
    std::atomic<uint32_t> IdleAfter = 0;

    // How long the silence lasts before a pause, at the backend's rate.
    int64_t IdleFrames = 0;

    // The audio thread's own.
    uint32_t PulledAfter = 0;
    int64_t SilentFrames = 0;
};
