#pragma once

#include <fluidsynth.h>

// FluidSynth, loaded when a built-in synthesizer first starts instead of with
// the program: it brings some sixty libraries (sound file formats, SDL,
// readline and more) that a program playing into a system port never needs,
// and loading them costs every start about 10 ms and 3 MiB.
struct TFluidSynthLibrary {
    decltype(&fluid_set_log_function) SetLogFunction;
    decltype(&fluid_is_soundfont) IsSoundFont;
    decltype(&new_fluid_settings) NewSettings;
    decltype(&delete_fluid_settings) DeleteSettings;
    decltype(&fluid_settings_setnum) SetNumber;
    decltype(&fluid_settings_setint) SetInteger;
    decltype(&new_fluid_synth) NewSynth;
    decltype(&delete_fluid_synth) DeleteSynth;
    decltype(&fluid_synth_sfload) LoadSoundFont;
    decltype(&fluid_synth_noteon) NoteOn;
    decltype(&fluid_synth_noteoff) NoteOff;
    decltype(&fluid_synth_cc) ControlChange;
    decltype(&fluid_synth_program_change) ProgramChange;
    decltype(&fluid_synth_write_float) WriteFloat;
};

// FluidSynth's functions, loading it on the first call (from any thread);
// null when it cannot be loaded. The first call from a thread that runs
// beside others' start-up work is best avoided: libraries that set
// themselves up on two threads at once can deadlock.
const TFluidSynthLibrary* FluidSynthLibrary();
