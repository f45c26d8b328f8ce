#include "midi/AudioOutput.h"

#include <algorithm>
#include <cmath>
#include <system_error>
#include <utility>

namespace {

// Quieter than this (-90 dBFS) counts as silence: no voice and no reverb left.
constexpr float SilenceLevel = 3.2e-5f;

}

TAudioOutput::TAudioOutput(TAudioSource& Source, std::unique_ptr<TAudioBackend> Backend)
    : Source(Source), Backend(std::move(Backend))
{
}

// The worker calls into the backend, and the backend's audio thread into
// this output: the worker ends first, then the backend goes while the rest
// of the output still stands.
TAudioOutput::~TAudioOutput()
{
    StopWorker();
    Backend.reset();
}

void TAudioOutput::Signal()
{
    Signals.fetch_add(1);
    Signals.notify_all();
}

template <class TCondition> void TAudioOutput::WaitUntil(TCondition Condition)
{
    for (;;) {
        const uint32_t Seen = Signals.load();
        if (Condition())
            return;
        Signals.wait(Seen);
    }
}

bool TAudioOutput::Open()
{
    if (!Backend->Open(*this))
        return false;
    IdleFrames = static_cast<int64_t>(IdleSeconds * Backend->SampleRate());
    try {
        Worker = std::thread(&TAudioOutput::Work, this);
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

void TAudioOutput::Wake()
{
    Messages.fetch_add(1);
    // While the output streams, the audio thread sees the count by itself.
    if (!Streaming.load())
        Signal();
}

void TAudioOutput::MarkLost()
{
    Gone.store(true);
    Signal();
}

bool TAudioOutput::KeepStreaming() const
{
    return !Idle.load() && !Stopping.load() && !Gone.load();
}

void TAudioOutput::WaitWhileStreaming()
{
    WaitUntil([this] { return !KeepStreaming(); });
}

bool TAudioOutput::AwaitPulling()
{
    WaitUntil([this] { return Streaming.load() || Messages.load() == PausedAfter.load(); });
    return Streaming.load();
}

void TAudioOutput::StopWorker()
{
    Stopping.store(true);
    Signal();
    if (Worker.joinable())
        Worker.join();
}

// Paused until the first message; from then on it streams until the sound
// has been silent a while, pauses, and resumes at the next message.
void TAudioOutput::Work()
{
    // Counted from 0, so that a message sent before the worker ran counts.
    uint32_t Heard = 0;
    for (;;) {
        WaitUntil([&] { return Stopping.load() || Gone.load() || Messages.load() != Heard; });
        if (Stopping.load())
            return;
        if (Gone.load()) {
            Backend->Abandon();
            WaitUntil([this] { return Stopping.load(); });
            return;
        }
        Idle.store(false);
        Asleep.store(false);
        Streaming.store(true);
        Signal();
        if (Backend->Resume()) {
            for (;;) {
                Backend->Stream();
                if (Stopping.load() || Gone.load() || Messages.load() == IdleAfter.load())
                    break;
                // A message came just as the sound went silent: it plays on.
                Idle.store(false);
            }
        } else {
            MarkLost();
        }
        Heard = IdleAfter.load();
        PausedAfter.store(Heard);
        Streaming.store(false);
        Signal();
        Backend->Pause();
        Asleep.store(true);
        Signal();
    }
}

void TAudioOutput::Pull(float* Left, float* Right, int Frames, int Stride)
{
    const uint32_t Heard = Messages.load();
    Source.RenderAudio(Left, Right, Frames, Stride);
    if (Heard != PulledAfter) {
        PulledAfter = Heard;
        SilentFrames = 0;
    }
    float Loudest = 0.0f;
    for (int Frame = 0; Frame < Frames; ++Frame)
        Loudest = std::max({Loudest, std::abs(Left[Frame * Stride]), std::abs(Right[Frame * Stride])});
    if (Loudest > SilenceLevel) {
        SilentFrames = 0;
        return;
    }
    if (SilentFrames < IdleFrames && SilentFrames + Frames >= IdleFrames) {
        IdleAfter.store(Heard);
        Idle.store(true);
        Signal();
    }
    SilentFrames += Frames;
}
