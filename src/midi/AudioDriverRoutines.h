#pragma once

#include <memory>
#include <string>
#include <vector>

#include "midi/AudioOutput.h"

// Opens the output of a sound system, paused: "pipewire" (its own stream),
// "pulseaudio" (which PipeWire also serves), "jack" (a running JACK server)
// or "alsa" (the device "default"; "alsa:NAME" names another). StreamName
// names the sound: the stream of PipeWire and PulseAudio, the client of
// JACK. Null when it cannot open.
std::unique_ptr<TAudioOutput> OpenAudioOutput(const std::string& Name, const std::string& StreamName,
                                              TAudioSource& Source);

// Drivers, with those of the sound servers that the environment names first
// (PULSE_SERVER a PulseAudio server, JACK_DEFAULT_SERVER a JACK server), in
// the order Drivers has them: whoever names a server means it to play.
std::vector<std::string> NamedSoundSystemsFirst(const std::vector<std::string>& Drivers);
