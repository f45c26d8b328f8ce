#include "midi/SynthesizerPort.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <mutex>

#include <malloc.h>

#include "midi/AudioDriverRoutines.h"
#include "midi/FluidSynthLibrary.h"
#include "midi/MIDIOutService.h"
#include "midi/RenderedAudioBackend.h"
#include "midi/SoundSystemRoutines.h"

namespace {

constexpr double RenderedSampleRate = 48000.0;

// FluidSynth's own gain (0.2) leaves one General MIDI piano note at velocity
// 103 near -31 dBFS; this one brings it near -6 dBFS, as loud as other
// synthesizers play. Chords that would then go over are held down by the
// limiter.
constexpr double Gain = 3.5;
// The limiter's ceiling (-1 dBFS), how long it holds a gain and how fast the
// gain comes back after that.
constexpr float Ceiling = 0.891f;
constexpr double HoldSeconds = 0.025;
constexpr double ReleaseSeconds = 0.15;

// Voices sounding at once: a ten-note chord of a voice that layers five
// samples per note, with the release of the chord before it. FluidSynth's
// 256 would hold 2 MiB more for voices that never sound.
constexpr int Polyphony = 128;

// Enough for what a player sends while a large SoundFont loads, so that
// sending does not allocate.
constexpr size_t WaitingCapacity = 256;

void ReportFluidSynthError(int, const char* Message, void*)
{
    std::fprintf(stderr, "fluidsynth: %s\n", Message);
}

// FluidSynth's warnings and notes would fill the console of every user; its
// errors stay on the standard error stream.
void QuietFluidSynthLog(const TFluidSynthLibrary& Fluid)
{
    Fluid.SetLogFunction(FLUID_PANIC, ReportFluidSynthError, nullptr);
    Fluid.SetLogFunction(FLUID_ERR, ReportFluidSynthError, nullptr);
    Fluid.SetLogFunction(FLUID_WARN, nullptr, nullptr);
    Fluid.SetLogFunction(FLUID_INFO, nullptr, nullptr);
    Fluid.SetLogFunction(FLUID_DBG, nullptr, nullptr);
}

}

TSynthesizerPort::~TSynthesizerPort()
{
    Close();
}

uint32_t TSynthesizerPort::Open(const std::string& SoundFont, const std::vector<std::string>& AudioDrivers)
{
    Close();
    std::error_code Error;
    if (!std::filesystem::is_regular_file(SoundFont, Error))
        return MMSYSERR_BADDEVICEID;
    Fluid = FluidSynthLibrary();
    if (Fluid == nullptr)
        return MMSYSERR_NODRIVER;
    QuietFluidSynthLog(*Fluid);
    if (!Fluid->IsSoundFont(SoundFont.c_str()))
        return MMSYSERR_INVALPARAM;

    if (!StartAudio(AudioDrivers)) {
        Close();
        return MIDIERR_NODEVICE;
    }
    if (!StartSynth(Output->SampleRate())) {
        Close();
        return MMSYSERR_NOMEM;
    }
    try {
        Waiting.reserve(WaitingCapacity);
        Load = TLoad::Loading;
        Loader = std::thread(&TSynthesizerPort::LoadSoundFont, this, SoundFont);
    } catch (const std::exception&) {
        Close();
        return MMSYSERR_NOMEM;
    }
    return MMSYSERR_NOERROR;
}

// The output comes first: the synthesizer renders at its sample rate. It
// starts paused, so nothing is pulled before the synthesizer exists.
bool TSynthesizerPort::StartAudio(const std::vector<std::string>& AudioDrivers)
{
    TAudioSource& Source = *this;
    if (AudioDrivers.empty()) {
        auto Drawn = std::make_unique<TRenderedAudioBackend>(RenderedSampleRate);
        TRenderedAudioBackend* Drawing = Drawn.get();
        Output = std::make_unique<TAudioOutput>(Source, std::move(Drawn));
        if (!Output->Open())
            return false;
        Rendered = Drawing;
        return true;
    }
    PrepareSoundSystems();
    for (const std::string& Name : NamedSoundSystemsFirst(AudioDrivers)) {
        Output = OpenAudioOutput(Name, SynthesizerName, Source);
        if (Output != nullptr) {
            DriverName = Name;
            return true;
        }
    }
    return false;
}

bool TSynthesizerPort::StartSynth(double SampleRate)
{
    Settings = Fluid->NewSettings();
    if (Settings == nullptr)
        return false;
    Fluid->SetNumber(Settings, "synth.sample-rate", SampleRate);
    Fluid->SetNumber(Settings, "synth.gain", Gain);
    Fluid->SetInteger(Settings, "synth.polyphony", Polyphony);
    // Only the samples of the instruments chosen on some channel stay in
    // memory (the piano and the drum kit: under 1 MiB of the 6 MiB of a
    // General MIDI SoundFont); the others are read when an instrument is
    // chosen.
    Fluid->SetInteger(Settings, "synth.dynamic-sample-loading", 1);
    Synth = Fluid->NewSynth(Settings);
    if (Synth == nullptr)
        return false;
    Limiter = TLimiter{Ceiling, 0, static_cast<int>(HoldSeconds * SampleRate),
                       static_cast<float>(std::exp(-1.0 / (ReleaseSeconds * SampleRate)))};
    return true;
}

void TSynthesizerPort::LoadSoundFont(const std::string& SoundFont)
{
    const bool Loaded = Fluid->LoadSoundFont(Synth, SoundFont.c_str(), 1) != FLUID_FAILED;
    // What reading the SoundFont needed only while reading goes back to the
    // system (some MiB the allocator would otherwise keep). Two loads trim in
    // turn: where glibc's allocator is not the one in use (under
    // AddressSanitizer) the first trim starts it, which two threads must not
    // do at once.
    {
        static std::mutex TrimMutex;
        std::lock_guard Trimming(TrimMutex);
        malloc_trim(0);
    }
    std::lock_guard Lock(LoadMutex);
    if (Loaded && !Waiting.empty()) {
        for (const TShortMessageBytes& Message : Waiting)
            Play(Message);
        Output->Wake();
    }
    Waiting.clear();
    Load.store(Loaded ? TLoad::Loaded : TLoad::Failed, std::memory_order_release);
}

uint32_t TSynthesizerPort::Send(const TShortMessageBytes& Message)
{
    if (Synth == nullptr || Output->Lost())
        return MMSYSERR_INVALHANDLE;
    if (Load.load(std::memory_order_acquire) != TLoad::Loaded) {
        std::lock_guard Lock(LoadMutex);
        if (Load == TLoad::Failed)
            return MMSYSERR_ERROR;
        if (Load == TLoad::Loading) {
            try {
                Waiting.push_back(Message);
            } catch (const std::bad_alloc&) {
                return MMSYSERR_NOMEM;
            }
            return MMSYSERR_NOERROR;
        }
    }
    Play(Message);
    Output->Wake();
    return MMSYSERR_NOERROR;
}

// The synthesizer takes the channel messages the program sends; the rest
// are not for it and pass unheard.
void TSynthesizerPort::Play(const TShortMessageBytes& Message)
{
    const int Channel = Message.Bytes[0] & 0x0F;
    const int Data1 = Message.Bytes[1];
    const int Data2 = Message.Bytes[2];
    switch (Message.Bytes[0] & 0xF0) {
    case 0x80:
        Fluid->NoteOff(Synth, Channel, Data1);
        break;
    case 0x90:
        Fluid->NoteOn(Synth, Channel, Data1, Data2);
        break;
    case 0xB0:
        Fluid->ControlChange(Synth, Channel, Data1, Data2);
        break;
    case 0xC0:
        Fluid->ProgramChange(Synth, Channel, Data1);
        break;
    default:
        break;
    }
}

// A port whose sound system is gone closes as well: opening it again then
// connects anew.
uint32_t TSynthesizerPort::Close()
{
    if (Loader.joinable())
        Loader.join();
    Output.reset();
    Rendered = nullptr;
    if (Synth != nullptr)
        Fluid->DeleteSynth(Synth);
    if (Settings != nullptr)
        Fluid->DeleteSettings(Settings);
    Synth = nullptr;
    Settings = nullptr;
    DriverName.clear();
    Waiting.clear();
    return MMSYSERR_NOERROR;
}

bool TSynthesizerPort::WaitUntilLoaded()
{
    if (Loader.joinable())
        Loader.join();
    return Synth != nullptr && Load == TLoad::Loaded;
}

void TSynthesizerPort::Render(float* Left, float* Right, int Frames)
{
    Rendered->Render(Left, Right, Frames);
}

void TSynthesizerPort::RenderAudio(float* Left, float* Right, int Frames, int Stride)
{
    Fluid->WriteFloat(Synth, Frames, Left, 0, Stride, Right, 0, Stride);
    Limiter.Apply(Left, Right, Frames, Stride);
}

void TSynthesizerPort::TLimiter::Apply(float* Left, float* Right, int Frames, int Stride)
{
    for (int Frame = 0; Frame < Frames; ++Frame) {
        float& LeftSample = Left[Frame * Stride];
        float& RightSample = Right[Frame * Stride];
        if (Hold > 0)
            --Hold;
        else
            Envelope = std::max(Envelope * Release, Ceiling);
        const float Peak = std::max(std::abs(LeftSample), std::abs(RightSample));
        if (Peak > Envelope) {
            Envelope = Peak;
            Hold = HoldFrames;
        }
        const float Gain = Ceiling / Envelope;
        LeftSample *= Gain;
        RightSample *= Gain;
    }
}

double TSynthesizerPort::ConfiguredLatency() const
{
    return DriverName.empty() ? 0.0 : Output->Latency();
}
