#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

#include "TemporaryFolder.h"

// A PulseAudio server of the test's own with one null sink, "klavora_null"
// (48 kHz, stereo, float samples, so that nothing over full scale is cut
// off). While it lives, PULSE_SERVER names it, so that the program and the
// PulseAudio tools in this process and its children play into it. Should the
// test program die, the server goes with it.
class TPulseAudioServer {
public:
    TPulseAudioServer();
    ~TPulseAudioServer();
    TPulseAudioServer(const TPulseAudioServer&) = delete;
    TPulseAudioServer& operator=(const TPulseAudioServer&) = delete;

    bool Runs() const { return Problem.empty(); }
    // Why no server runs; empty while one does.
    std::string Problem;
    // The value PULSE_SERVER has while the server lives.
    std::string Address() const;

    // Ends the server at once, as a crash would; Start brings it back.
    void Kill();
    void Start();

    // What pactl prints for Arguments, asked of this server.
    std::string Control(const std::string& Arguments) const;

private:
    TTemporaryFolder Folder;
    pid_t Server = 0;
    std::optional<std::string> FormerAddress;
};

// Whether the pulseaudio program is installed.
bool PulseAudioInstalled();

// What the null sink "klavora_null" plays, recorded by parec from its monitor
// as stereo 48 kHz float samples from construction until Stop, through the
// PulseAudio server at ServerAddress (PulseAudio's own, or PipeWire's).
class TSinkRecording {
public:
    explicit TSinkRecording(const std::string& ServerAddress);
    ~TSinkRecording();
    TSinkRecording(const TSinkRecording&) = delete;
    TSinkRecording& operator=(const TSinkRecording&) = delete;

    void Stop();
    // The recorded frames, left and right averaged.
    std::vector<float> Samples() const;
    // The highest peak of either side in dBFS, as sox measures it.
    double PeakLevel() const;

private:
    TTemporaryFolder Folder;
    pid_t Recorder = 0;
};
