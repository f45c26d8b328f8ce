#pragma once

// The JACK and ALSA libraries write their own complaints to the console, for
// instance on every attempt to reach a JACK server that does not run. Every
// failure of theirs reaches the user as a result code of the MIDI service
// instead, so their console output is switched off once and for all.
void SilenceSoundSystemMessages();

// Whether a JACK server runs. Never starts one.
bool JACKServerRuns();
