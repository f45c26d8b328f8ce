#include "midi/SynthesizerPort.h"

#include <cstdio>
#include <filesystem>

#include "midi/MIDIOutService.h"
#include "midi/SoundSystemRoutines.h"

namespace {

// 256 frames in each of 2 periods at 48 kHz: under 11 ms from key to ear.
constexpr int PeriodFrames = 256;
constexpr int Periods = 2;
constexpr double SampleRate = 48000.0;

// Enough for what a player sends while a large SoundFont loads, so that
// sending does not allocate.
constexpr size_t WaitingCapacity = 256;

// While a thread tries the audio drivers in turn, the failures of all but the
// last are expected: FluidSynth's reports of them are held back and shown only
// when no driver starts.
thread_local bool HoldingBackErrors = false;
thread_local std::string HeldBackErrors;

void ReportFluidSynthError(int, const char* Message, void*)
{
    std::string Line = std::string("fluidsynth: ") + Message + "\n";
    if (HoldingBackErrors)
        HeldBackErrors += Line;
    else
        std::fputs(Line.c_str(), stderr);
}

// FluidSynth's warnings and notes would fill the console of every user; its
// errors stay on the standard error stream.
void QuietFluidSynthLog()
{
    fluid_set_log_function(FLUID_PANIC, ReportFluidSynthError, nullptr);
    fluid_set_log_function(FLUID_ERR, ReportFluidSynthError, nullptr);
    fluid_set_log_function(FLUID_WARN, nullptr, nullptr);
    fluid_set_log_function(FLUID_INFO, nullptr, nullptr);
    fluid_set_log_function(FLUID_DBG, nullptr, nullptr);
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
    QuietFluidSynthLog();
    if (!fluid_is_soundfont(SoundFont.c_str()))
        return MMSYSERR_INVALPARAM;

    Settings = new_fluid_settings();
    if (Settings != nullptr) {
        fluid_settings_setnum(Settings, "synth.sample-rate", SampleRate);
        fluid_settings_setint(Settings, "audio.period-size", PeriodFrames);
        fluid_settings_setint(Settings, "audio.periods", Periods);
        fluid_settings_setstr(Settings, "audio.jack.id", SynthesizerName);
        fluid_settings_setint(Settings, "audio.jack.autoconnect", 1);
        Synth = new_fluid_synth(Settings);
    }
    if (Synth == nullptr) {
        Close();
        return MMSYSERR_NOMEM;
    }
    if (!AudioDrivers.empty() && !StartAudio(AudioDrivers)) {
        Close();
        return MMSYSERR_ALLOCATED;
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

bool TSynthesizerPort::StartAudio(const std::vector<std::string>& AudioDrivers)
{
    HoldingBackErrors = true;
    HeldBackErrors.clear();
    PrepareSoundSystems();
    for (const std::string& Name : AudioDrivers) {
        fluid_settings_setstr(Settings, "audio.driver", Name.c_str());
        Driver = new_fluid_audio_driver(Settings, Synth);
        if (Driver != nullptr) {
            DriverName = Name;
            break;
        }
    }
    HoldingBackErrors = false;
    if (Driver == nullptr)
        std::fputs(HeldBackErrors.c_str(), stderr);
    return Driver != nullptr;
}

void TSynthesizerPort::LoadSoundFont(const std::string& SoundFont)
{
    const bool Loaded = fluid_synth_sfload(Synth, SoundFont.c_str(), 1) != FLUID_FAILED;
    std::lock_guard Lock(LoadMutex);
    if (Loaded)
        for (const TShortMessageBytes& Message : Waiting)
            Play(Message);
    Waiting.clear();
    Load.store(Loaded ? TLoad::Loaded : TLoad::Failed, std::memory_order_release);
}

uint32_t TSynthesizerPort::Send(const TShortMessageBytes& Message)
{
    if (Synth == nullptr)
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
        fluid_synth_noteoff(Synth, Channel, Data1);
        break;
    case 0x90:
        fluid_synth_noteon(Synth, Channel, Data1, Data2);
        break;
    case 0xB0:
        fluid_synth_cc(Synth, Channel, Data1, Data2);
        break;
    case 0xC0:
        fluid_synth_program_change(Synth, Channel, Data1);
        break;
    default:
        break;
    }
}

uint32_t TSynthesizerPort::Close()
{
    if (Loader.joinable())
        Loader.join();
    if (Driver != nullptr)
        delete_fluid_audio_driver(Driver);
    if (Synth != nullptr)
        delete_fluid_synth(Synth);
    if (Settings != nullptr)
        delete_fluid_settings(Settings);
    Driver = nullptr;
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
    fluid_synth_write_float(Synth, Frames, Left, 0, 1, Right, 0, 1);
}

double TSynthesizerPort::ConfiguredLatency() const
{
    if (Driver == nullptr)
        return 0.0;
    int Frames = 0;
    int Count = 0;
    double Rate = 0.0;
    fluid_settings_getint(Settings, "audio.period-size", &Frames);
    fluid_settings_getint(Settings, "audio.periods", &Count);
    fluid_settings_getnum(Settings, "synth.sample-rate", &Rate);
    return Rate > 0.0 ? Frames * Count / Rate : 0.0;
}
