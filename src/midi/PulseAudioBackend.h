#pragma once

#include <pulse/pulseaudio.h>

#include <cstddef>
#include <string>

#include "midi/AudioBackend.h"

// PulseAudio (and PipeWire's PulseAudio server): a stream that is corked and
// emptied while paused, so the server asks nothing of the program.
class TPulseAudioBackend final : public TAudioBackend {
public:
    explicit TPulseAudioBackend(const std::string& StreamName) : StreamName(StreamName) {}
    ~TPulseAudioBackend() override;

    bool Resume() override;
    void Pause() override;

private:
    static constexpr size_t FrameBytes = 2 * sizeof(float);

    bool Connect() override;
    bool StartContext();
    bool StartPlayback();
    void Write(size_t Bytes);
    void Cork(bool Corked);
    static void OnContextState(pa_context* Context, void* Backend);
    static void OnPlaybackState(pa_stream* Playback, void* Backend);
    static void OnWritable(pa_stream* Playback, size_t Bytes, void* Backend);

    std::string StreamName;
    pa_threaded_mainloop* Loop = nullptr;
    pa_context* Context = nullptr;
    pa_stream* Playback = nullptr;
    // Whether the server's requests are answered; guarded by the loop's lock.
    bool Flowing = false;
};
