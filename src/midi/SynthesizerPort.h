#pragma once

#include <fluidsynth.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/MIDIMessageRoutines.h"

// The name the built-in synthesizer has among the output devices.
inline constexpr const char* SynthesizerName = "Klavora Synthesizer";

// The audio drivers the built-in synthesizer tries, in order: PulseAudio
// (which PipeWire also serves), then ALSA, then a running JACK server.
inline const std::vector<std::string> SynthesizerAudioDrivers = {"pulseaudio", "alsa", "jack"};

// The built-in General MIDI synthesizer: FluidSynth playing a SoundFont.
// Synthesis and audio output are separate: with no audio driver the sound is
// only what Render draws. Open starts the sound at once and loads the
// SoundFont on a worker thread, so that opening never makes the window wait;
// what is sent meanwhile waits and is played, in order, once it has loaded.
// One thread makes every call; the loader and the audio driver run their own.
class TSynthesizerPort {
public:
    TSynthesizerPort() = default;
    ~TSynthesizerPort();
    TSynthesizerPort(const TSynthesizerPort&) = delete;
    TSynthesizerPort& operator=(const TSynthesizerPort&) = delete;

    // Starts the synthesizer on the first of AudioDrivers that opens (none:
    // rendered only). A SoundFont file that is gone answers
    // MMSYSERR_BADDEVICEID, a file that is no SoundFont MMSYSERR_INVALPARAM,
    // and a synthesizer that cannot start its audio MMSYSERR_ALLOCATED, the
    // answer of a sound device that some other program holds.
    uint32_t Open(const std::string& SoundFont, const std::vector<std::string>& AudioDrivers);
    // After the SoundFont failed to load every message answers MMSYSERR_ERROR.
    uint32_t Send(const TShortMessageBytes& Message);
    uint32_t Close();

    // Waits until the SoundFont has loaded or failed to; whether it loaded.
    bool WaitUntilLoaded();
    // Draws the next Frames of stereo sound; only without an audio driver.
    void Render(float* Left, float* Right, int Frames);

    // The audio driver that plays the sound; empty when rendered only.
    const std::string& AudioDriver() const { return DriverName; }
    // The audio latency the driver was asked for, in seconds: frames per
    // period times periods, over the sample rate.
    double ConfiguredLatency() const;

private:
    enum class TLoad { Loading, Loaded, Failed };

    bool StartAudio(const std::vector<std::string>& AudioDrivers);
    void LoadSoundFont(const std::string& SoundFont);
    void Play(const TShortMessageBytes& Message);

    fluid_settings_t* Settings = nullptr;
    fluid_synth_t* Synth = nullptr;
    fluid_audio_driver_t* Driver = nullptr;
    std::string DriverName;

    std::thread Loader;
    std::mutex LoadMutex;
    std::atomic<TLoad> Load = TLoad::Loading;
    // What was sent while the SoundFont was loading; guarded by LoadMutex.
    std::vector<TShortMessageBytes> Waiting;
};
