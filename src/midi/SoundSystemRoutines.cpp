#include "midi/SoundSystemRoutines.h"

#include <alsa/asoundlib.h>
#include <jack/jack.h>

#include <cstdlib>

namespace {

void IgnoreJACKMessage(const char*) {}

void IgnoreALSAMessage(const char*, int, const char*, int, const char*, ...) {}

}

void PrepareSoundSystems()
{
    jack_set_error_function(IgnoreJACKMessage);
    jack_set_info_function(IgnoreJACKMessage);
    snd_lib_error_set_handler(IgnoreALSAMessage);
    // Left as it is once set, so that later calls change nothing another
    // thread might be reading.
    setenv("JACK_NO_START_SERVER", "1", 0);
}

std::vector<std::string> TakeJACKPortNames(const char** Ports)
{
    std::vector<std::string> Names;
    for (size_t Index = 0; Ports != nullptr && Ports[Index] != nullptr; ++Index)
        Names.emplace_back(Ports[Index]);
    jack_free(Ports);
    return Names;
}
