#pragma once

// The X server repeats a held key as a release followed by a press, and Qt
// guesses which releases belong to a repeat by looking ahead in its event
// queue: on a busy machine the press is not there yet, and the repeat looks
// like a real release. Asked for detectable auto-repeat, the server sends a
// held key's repeats as presses only and its one release when the key goes
// up. Elsewhere (Wayland, offscreen) the platform labels repeats itself, and
// this does nothing. It costs no round trip to the server.
void AskForDetectableAutoRepeat();
