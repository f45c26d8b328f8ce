#include "midi/SoundSystemRoutines.h"

#include <alsa/asoundlib.h>
#include <jack/jack.h>

namespace {

void IgnoreJACKMessage(const char*) {}

void IgnoreALSAMessage(const char*, int, const char*, int, const char*, ...) {}

}

void SilenceSoundSystemMessages()
{
    jack_set_error_function(IgnoreJACKMessage);
    jack_set_info_function(IgnoreJACKMessage);
    snd_lib_error_set_handler(IgnoreALSAMessage);
}

bool JACKServerRuns()
{
    SilenceSoundSystemMessages();
    jack_client_t* Client = jack_client_open("Klavora probe", JackNoStartServer, nullptr);
    if (Client == nullptr)
        return false;
    jack_client_close(Client);
    return true;
}
