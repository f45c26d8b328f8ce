#pragma once

#include "midi/AudioBackend.h"

// A backend without a sound system: its audio thread is whoever calls
// Render. Its output pauses and resumes as the others do; while paused,
// Render draws silence and the source is not pulled. What was sent before
// Render is always in what it draws: it waits for a resume that a message
// has called for.
class TRenderedAudioBackend final : public TAudioBackend {
public:
    explicit TRenderedAudioBackend(double SampleRate) { Rate = SampleRate; }

    bool Resume() override { return true; }
    void Pause() override {}

    void Render(float* Left, float* Right, int Frames);

private:
    bool Connect() override { return true; }
};
