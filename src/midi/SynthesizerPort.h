#pragma once

#include <fluidsynth.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/MIDIMessageRoutines.h"
#include "midi/AudioOutput.h"
#include "midi/FluidSynthLibrary.h"

class TRenderedAudioBackend;

// The name the built-in synthesizer has among the output devices.
inline constexpr const char* SynthesizerName = "Klavora Synthesizer";

// The audio outputs the built-in synthesizer tries, in the order a desktop
// user expects: PipeWire, then PulseAudio, then a running JACK server, then
// ALSA. A sound server that the environment names comes first
// (NamedSoundSystemsFirst).
inline const std::vector<std::string> SynthesizerAudioDrivers = {"pipewire", "pulseaudio", "jack", "alsa"};

// The built-in General MIDI synthesizer: FluidSynth playing a SoundFont into
// an audio output of the program's own, which sleeps while nothing sounds and
// wakes at the next message. With no audio driver the sound is only what
// Render draws. Open starts the sound at once and loads the SoundFont on a
// worker thread, so that opening never makes the window wait; what is sent
// meanwhile waits and is played, in order, once it has loaded. One thread
// makes every call; the loader and the audio output run their own.
class TSynthesizerPort final : private TAudioSource {
public:
    TSynthesizerPort() = default;
    ~TSynthesizerPort();
    TSynthesizerPort(const TSynthesizerPort&) = delete;
    TSynthesizerPort& operator=(const TSynthesizerPort&) = delete;

    // Starts the synthesizer on the first of AudioDrivers that opens, those
    // of the sound servers the environment names first (none: rendered
    // only). A SoundFont file that is gone answers MMSYSERR_BADDEVICEID, a
    // file that is no SoundFont MMSYSERR_INVALPARAM, and a synthesizer that
    // finds no sound output MIDIERR_NODEVICE.
    uint32_t Open(const std::string& SoundFont, const std::vector<std::string>& AudioDrivers);
    // After the SoundFont failed to load every message answers
    // MMSYSERR_ERROR; once the sound system is gone (its server stopped),
    // MMSYSERR_INVALHANDLE until the port is opened again.
    uint32_t Send(const TShortMessageBytes& Message);
    uint32_t Close();

    // Waits until the SoundFont has loaded or failed to; whether it loaded.
    bool WaitUntilLoaded();
    // Draws the next Frames of stereo sound; only without an audio driver.
    // While the output is paused that is silence.
    void Render(float* Left, float* Right, int Frames);
    // Whether the audio output is paused: nothing has sounded for a while.
    bool Paused() const { return Output == nullptr || Output->Paused(); }

    // The audio driver that plays the sound; empty when rendered only.
    const std::string& AudioDriver() const { return DriverName; }
    // The audio latency the output asked of its sound system, in seconds.
    double ConfiguredLatency() const;

private:
    enum class TLoad { Loading, Loaded, Failed };

    // Keeps the peaks of the sound under its ceiling without touching what
    // stays below: the gain drops at once to what a louder peak needs, holds
    // longer than the period of the lowest note (so no wave is bent), then
    // comes back. Only the audio thread uses it.
    struct TLimiter {
        void Apply(float* Left, float* Right, int Frames, int Stride);

        float Envelope = 0.0f;
        int Hold = 0;
        int HoldFrames = 0;
        float Release = 0.0f;
    };

    bool StartAudio(const std::vector<std::string>& AudioDrivers);
    bool StartSynth(double SampleRate);
    void LoadSoundFont(const std::string& SoundFont);
    void Play(const TShortMessageBytes& Message);
    void RenderAudio(float* Left, float* Right, int Frames, int Stride) override;

    // FluidSynth's functions, from the first open on.
    const TFluidSynthLibrary* Fluid = nullptr;
    fluid_settings_t* Settings = nullptr;
    fluid_synth_t* Synth = nullptr;
    std::unique_ptr<TAudioOutput> Output;
    // The output's backend when the sound is only rendered.
    TRenderedAudioBackend* Rendered = nullptr;
    std::string DriverName;
    TLimiter Limiter;

    std::thread Loader;
    std::mutex LoadMutex;
    std::atomic<TLoad> Load = TLoad::Loading;
    // What was sent while the SoundFont was loading; guarded by LoadMutex.
    std::vector<TShortMessageBytes> Waiting;
};
