#pragma once

#include <span>
#include <string>

// Where Debian's General MIDI SoundFonts live, in the order they are tried.
inline constexpr const char* SystemSoundFonts[] = {
    "/usr/share/sounds/sf2/default-GM.sf2",
    "/usr/share/sounds/sf3/default-GM.sf3",
    "/usr/share/sounds/sf2/TimGM6mb.sf2",
    "/usr/share/sounds/sf2/FluidR3_GM.sf2",
};

// The SoundFont the built-in synthesizer plays: the first .sf2 or .sf3 file
// in Folder by name (a user drops one into the settings folder to replace
// the system's), else the first of Fallbacks that exists; empty when there is
// none. Only existence is checked here.
std::string FindSoundFont(const std::string& Folder,
                          std::span<const char* const> Fallbacks = SystemSoundFonts);
