#include "midi/AudioDriverRoutines.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

#include "midi/ALSAAudioBackend.h"
#include "midi/JACKAudioBackend.h"
#include "midi/PipeWireAudioBackend.h"
#include "midi/PulseAudioBackend.h"

namespace {

// The backend of the sound system of that name; null for a name none has.
std::unique_ptr<TAudioBackend> BackendNamed(const std::string& Name, const std::string& StreamName)
{
    if (Name == "pipewire")
        return std::make_unique<TPipeWireAudioBackend>(StreamName);
    if (Name == "pulseaudio")
        return std::make_unique<TPulseAudioBackend>(StreamName);
    if (Name == "jack")
        return std::make_unique<TJACKAudioBackend>(StreamName);
    if (Name == "alsa")
        return std::make_unique<TALSAAudioBackend>("default");
    if (Name.starts_with("alsa:"))
        return std::make_unique<TALSAAudioBackend>(Name.substr(5));
    return nullptr;
}

// Whether the environment names the server of that sound system.
bool NamedByEnvironment(const std::string& Name)
{
    const char* Variable = Name == "pulseaudio" ? "PULSE_SERVER" : Name == "jack" ? "JACK_DEFAULT_SERVER" : nullptr;
    return Variable != nullptr && std::getenv(Variable) != nullptr;
}

}

std::vector<std::string> NamedSoundSystemsFirst(const std::vector<std::string>& Drivers)
{
    std::vector<std::string> Ordered = Drivers;
    std::stable_partition(Ordered.begin(), Ordered.end(), NamedByEnvironment);
    return Ordered;
}

std::unique_ptr<TAudioOutput> OpenAudioOutput(const std::string& Name, const std::string& StreamName,
                                              TAudioSource& Source)
{
    std::unique_ptr<TAudioBackend> Backend = BackendNamed(Name, StreamName);
    if (Backend == nullptr)
        return nullptr;
    auto Output = std::make_unique<TAudioOutput>(Source, std::move(Backend));
    if (!Output->Open())
        return nullptr;
    return Output;
}
