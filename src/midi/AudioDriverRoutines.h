#pragma once

#include <memory>
#include <string>

#include "midi/AudioOutput.h"

// Opens the output of a sound system, paused: "pulseaudio" (which PipeWire
// also serves), "jack" (a running JACK server) or "alsa" (the device
// "default"; "alsa:NAME" names another). StreamName names the sound: the
// stream of PulseAudio, the client of JACK. Null when it cannot open.
std::unique_ptr<TAudioOutput> OpenAudioOutput(const std::string& Name, const std::string& StreamName,
                                              TAudioSource& Source);
