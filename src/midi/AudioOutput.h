#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>

// What an audio output plays: the sound it pulls, period by period, on its
// audio thread. Left and Right point at the first sample of each channel;
// Stride is the distance from one frame's sample to the next (1 for separate
// channel buffers, 2 for interleaved stereo).
class TAudioSource {
public:
    virtual ~TAudioSource() = default;
    virtual void RenderAudio(float* Left, float* Right, int Frames, int Stride) = 0;
};

// The stereo sound output of one sound system. It pulls from its source only
// while there is something to hear: once the sound has been silent for
// IdleSeconds it pauses (no audio thread runs, nothing wakes up), and the
// next Wake resumes it. Each sound system has a class of its own behind this
// one; OpenAudioOutput picks it by name. TRenderedOutput stands in for a
// sound system where the sound is only drawn.
//
// Threads: one thread opens and destroys the output; Wake may come from any
// thread; the sound system's audio thread pulls; a worker of the output's own
// pauses and resumes, so that Wake never waits.
class TAudioOutput {
public:
    explicit TAudioOutput(TAudioSource& Source) : Source(Source) {}
    virtual ~TAudioOutput();
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
    bool Lost() const { return Gone.load(std::memory_order_acquire); }
    // Whether the output is paused (or has not started yet): it has let go
    // of the sound system, so a note now wakes it from its sleep.
    bool Paused() const { return Asleep.load(std::memory_order_acquire); }

    // The sample rate the source must render at.
    double SampleRate() const { return Rate; }
    // The latency asked of the sound system, in seconds.
    double Latency() const { return LatencyFrames / Rate; }

    // How long the sound stays silent before the output pauses.
    static constexpr double IdleSeconds = 2.0;

protected:
    // Steps each sound system implements. Connect runs on the opening
    // thread and leaves the output paused; the others run on the worker.
    virtual bool Connect() = 0;
    // Starts pulling again; false when the sound system is gone.
    virtual bool Resume() = 0;
    // Returns when the output should pause: the sound went silent, the
    // output is closing or the sound system is gone. An output whose audio
    // thread is the sound system's waits here; one that writes its sound
    // itself writes it here, while KeepStreaming holds.
    virtual void Stream();
    virtual void Pause() = 0;
    // Lets go of a sound system that went away, at once: a server started
    // again later must not meet what is left of the connection to the old one.
    virtual void Abandon() {}

    // For the audio thread: fills Frames from the source and notices silence.
    void Pull(float* Left, float* Right, int Frames, int Stride);
    // For any thread: the sound system went away.
    void MarkLost();
    bool KeepStreaming() const;
    // Whether a message came that the worker has not yet resumed for.
    bool WakePending() const;
    // Whether the source is pulled: from the start of a resume to the start
    // of the next pause.
    bool Pulling() const { return Streaming.load(); }
    template <class TCondition> void WaitUntil(TCondition Condition);
    // Ends the worker; the first step of every subclass's destructor, so
    // that the worker never calls into a subclass that is going.
    void StopWorker();

    double Rate = 48000.0;
    double LatencyFrames = 0.0;

private:
    void Work();
    void Signal();

    TAudioSource& Source;
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

    // The audio thread's own.
    uint32_t PulledAfter = 0;
    int64_t SilentFrames = 0;
};

// The application name the sound systems show for the program's sound.
inline constexpr const char* AudioApplicationName = "Klavora";

// Opens the output of a sound system, paused: "pulseaudio" (which PipeWire
// also serves), "jack" (a running JACK server) or "alsa" (the device
// "default"; "alsa:NAME" names another). StreamName names the sound: the
// stream of PulseAudio, the client of JACK. Null when it cannot open.
std::unique_ptr<TAudioOutput> OpenAudioOutput(const std::string& Name, const std::string& StreamName,
                                              TAudioSource& Source);

// An output without a sound system: its audio thread is whoever calls Render.
// It pauses and resumes as the others do; while paused, Render draws silence
// and the source is not pulled. What was sent before Render is always in
// what it draws: it waits for a resume that a message has called for.
class TRenderedOutput final : public TAudioOutput {
public:
    TRenderedOutput(TAudioSource& Source, double SampleRate);
    ~TRenderedOutput() override;

    void Render(float* Left, float* Right, int Frames);

private:
    bool Connect() override { return true; }
    bool Resume() override { return true; }
    void Pause() override {}
};
