#pragma once

#include <array>

// The levels and timbres the tests expect were measured on the General MIDI
// SoundFont that scripts/setup installs. Another system default, such as the
// louder FluidR3_GM that other synthesizers bring along, would make them
// fail for what is no fault, so the tests play this one.
inline constexpr std::array<const char*, 1> CalibratedSoundFont = {"/usr/share/sounds/sf2/TimGM6mb.sf2"};
