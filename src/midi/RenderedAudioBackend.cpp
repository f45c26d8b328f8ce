#include "midi/RenderedAudioBackend.h"

#include <algorithm>

void TRenderedAudioBackend::Render(float* Left, float* Right, int Frames)
{
    if (Output().AwaitPulling()) {
        Output().Pull(Left, Right, Frames, 1);
    } else {
        std::fill(Left, Left + Frames, 0.0f);
        std::fill(Right, Right + Frames, 0.0f);
    }
}
