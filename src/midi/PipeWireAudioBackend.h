#pragma once

#include <pipewire/pipewire.h>
#include <spa/pod/builder.h>

#include <atomic>
#include <cstdint>
#include <string>

#include "midi/AudioBackend.h"

// How much sound PipeWire is asked to take at a time: 128 frames at 48 kHz
// (2.7 ms). Measured with both cores busy, 64 frames was heard 2 ms sooner
// but left more gaps in a held chord, and 256 added 4 ms to every note.
inline constexpr int PipeWireQuantumFrames = 128;

// The format of the sound a PipeWire stream of the program's takes: float
// samples at PreferredSampleRate, mono (1 channel) or front left and right
// (2), interleaved; built in Builder.
const spa_pod* PipeWireSoundFormat(spa_pod_builder& Builder, uint32_t Channels);

// PipeWire's own playback stream, rendered in the graph's real-time thread
// each cycle, with the quantum PipeWireQuantumFrames. While paused the stream
// is inactive: its node takes no part in the graph's cycles.
class TPipeWireAudioBackend final : public TAudioBackend {
public:
    explicit TPipeWireAudioBackend(const std::string& StreamName) : StreamName(StreamName) {}
    ~TPipeWireAudioBackend() override;

    bool Resume() override;
    void Pause() override;

private:
    bool Connect() override;
    bool StartPlayback();
    bool WaitUntilConnected();

    static void OnProcess(void* Backend);
    static void OnStreamState(void* Backend, pw_stream_state Former, pw_stream_state State, const char* Error);
    static void OnCoreError(void* Backend, uint32_t Id, int Sequence, int Result, const char* Message);

    std::string StreamName;
    pw_thread_loop* Loop = nullptr;
    pw_context* Context = nullptr;
    pw_core* Core = nullptr;
    pw_stream* Stream = nullptr;
    spa_hook CoreListener{};
    spa_hook StreamListener{};
    // Whether the process callback pulls: set from a resume to the next pause.
    std::atomic<bool> Flowing = false;
    // Guarded by the loop's lock.
    bool Failed = false;
};
