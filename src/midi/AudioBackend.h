#pragma once

// The application name the sound systems show for the program's sound.
inline constexpr const char* AudioApplicationName = "Klavora";

// The rate a backend asks for where the sound system lets it choose.
inline constexpr double PreferredSampleRate = 48000.0;
// The sound buffered ahead (8 ms at 48 kHz), refilled 128 frames (under 3 ms)
// at a time: a note sounds within about 10 ms, and a busy machine still has
// time to refill before the buffer runs dry.
inline constexpr int BufferFrames = 384;
inline constexpr int RequestFrames = 128;

// What a backend asks of the audio output that owns it.
class TAudioFeed {
public:
    // For the audio thread: fills Frames from the source and notices silence.
    // Left and Right point at the first sample of each channel; Stride is the
    // distance from one frame's sample to the next (1 for separate channel
    // buffers, 2 for interleaved stereo).
    virtual void Pull(float* Left, float* Right, int Frames, int Stride) = 0;
    // For any thread: the sound system went away.
    virtual void MarkLost() = 0;
    virtual bool Lost() const = 0;
    // For the worker while it streams: whether to go on.
    virtual bool KeepStreaming() const = 0;
    // For the worker: returns once streaming should stop.
    virtual void WaitWhileStreaming() = 0;
    // For a backend whose audio thread is whoever asks for sound: waits for a
    // resume that a message has called for, then tells whether the source is
    // pulled (from the start of a resume to the start of the next pause).
    virtual bool AwaitPulling() = 0;

protected:
    ~TAudioFeed() = default;
};

// One sound system behind an audio output (TAudioOutput). The output owns
// its backend and runs it: Open on the opening thread, which connects paused;
// Resume, Stream, Pause and Abandon on the output's worker, which has ended
// before the backend goes. Each sound system has a backend class in a file of
// its own; AudioDriverRoutines picks one by name.
class TAudioBackend {
public:
    virtual ~TAudioBackend() = default;

    // Connects to the sound system, paused, to feed on Feed from then on;
    // false when the sound system cannot be reached.
    bool Open(TAudioFeed& Output)
    {
        Feed = &Output;
        return Connect();
    }
    // Starts pulling again; false when the sound system is gone.
    virtual bool Resume() = 0;
    // Returns when the output should pause: the sound went silent, the
    // output is closing or the sound system is gone. A backend whose audio
    // thread is the sound system's waits here; one that writes its sound
    // itself writes it here, while the feed says to keep streaming.
    virtual void Stream() { Feed->WaitWhileStreaming(); }
    virtual void Pause() = 0;
    // Lets go of a sound system that went away, at once: a server started
    // again later must not meet what is left of the connection to the old one.
    virtual void Abandon() {}

    // The sample rate the source must render at.
    double SampleRate() const { return Rate; }
    // The latency asked of the sound system, in seconds.
    double Latency() const { return LatencyFrames / Rate; }

protected:
    virtual bool Connect() = 0;
    TAudioFeed& Output() const { return *Feed; }

    double Rate = PreferredSampleRate;
    double LatencyFrames = 0.0;

private:
    TAudioFeed* Feed = nullptr;
};
