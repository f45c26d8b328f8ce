#pragma once

#include <string>
#include <vector>

// Sets the JACK and ALSA libraries up for the program, once and for all:
// - their own console messages are switched off, for instance on every
//   attempt to reach a JACK server that does not run: every failure of theirs
//   reaches the user as a result code of the MIDI service instead;
// - JACK never starts a server of its own (FluidSynth's JACK driver would,
//   which takes seconds and fails without sound hardware).
// It sets an environment variable: the service's start step calls it first,
// before the window starts threads of its own.
void PrepareSoundSystems();

// The names of a port list that libjack handed out (null for none), which
// this frees.
std::vector<std::string> TakeJACKPortNames(const char** Ports);
