#include "midi/FluidSynthLibrary.h"

#include <dlfcn.h>

#include <mutex>
#include <optional>

namespace {

template <typename TFunction>
bool Resolve(void* Library, const char* Name, TFunction& Function)
{
    Function = reinterpret_cast<TFunction>(dlsym(Library, Name));
    return Function != nullptr;
}

std::optional<TFluidSynthLibrary> Load()
{
    // Never unloaded: its threads and handlers may outlive any one synthesizer.
    void* Library = dlopen(KLAVORA_FLUIDSYNTH_SONAME, RTLD_LAZY | RTLD_LOCAL);
    if (Library == nullptr)
        return std::nullopt;
    TFluidSynthLibrary Functions;
    const bool Found = Resolve(Library, "fluid_set_log_function", Functions.SetLogFunction) &&
                       Resolve(Library, "fluid_is_soundfont", Functions.IsSoundFont) &&
                       Resolve(Library, "new_fluid_settings", Functions.NewSettings) &&
                       Resolve(Library, "delete_fluid_settings", Functions.DeleteSettings) &&
                       Resolve(Library, "fluid_settings_setnum", Functions.SetNumber) &&
                       Resolve(Library, "fluid_settings_setint", Functions.SetInteger) &&
                       Resolve(Library, "new_fluid_synth", Functions.NewSynth) &&
                       Resolve(Library, "delete_fluid_synth", Functions.DeleteSynth) &&
                       Resolve(Library, "fluid_synth_sfload", Functions.LoadSoundFont) &&
                       Resolve(Library, "fluid_synth_noteon", Functions.NoteOn) &&
                       Resolve(Library, "fluid_synth_noteoff", Functions.NoteOff) &&
                       Resolve(Library, "fluid_synth_cc", Functions.ControlChange) &&
                       Resolve(Library, "fluid_synth_program_change", Functions.ProgramChange) &&
                       Resolve(Library, "fluid_synth_write_float", Functions.WriteFloat);
    if (!Found)
        return std::nullopt;
    return Functions;
}

}

const TFluidSynthLibrary* FluidSynthLibrary()
{
    static std::once_flag Once;
    static std::optional<TFluidSynthLibrary> Loaded;
    std::call_once(Once, [] { Loaded = Load(); });
    return Loaded ? &*Loaded : nullptr;
}
