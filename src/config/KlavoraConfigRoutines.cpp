#include "config/KlavoraConfigRoutines.h"

#include "config/MIDIPatchRoutines.h"
#include "support/ErrorRoutines.h"
#include "support/ProgramFolderRoutines.h"
#include "support/RangeRoutines.h"

TKeyboardConfig KeyboardConfig;

namespace {

constexpr const char* KeyboardSection = "Keyboard";
constexpr const char* MouseSection = "Mouse";
constexpr const char* MIDIOutSection = "MIDI Out";
constexpr const char* ConfigSection = "Config";
constexpr const char* DefaultPatch = "GeneralMIDI.ini";

// What the settings file holds right now; a closed store reads every default.
TProfileSnapshot Snapshot(const TKeyboardConfig& Config)
{
    static const std::string NoFile;
    return Config.Ini ? Config.Ini->Snapshot() : TProfileSnapshot(NoFile, SettingsSizeLimit);
}

std::string ReadString(const TKeyboardConfig& Config, const char* Section, const char* Key, const char* Default)
{
    return Snapshot(Config).ReadString(Section, Key, Default);
}

// Each ranged setting as read from a snapshot, clamped to its range.
int32_t ChannelIn(const TProfileSnapshot& Settings) { return Clamp(Settings.ReadInteger(KeyboardSection, "Channel", 0), ChannelRange); }
int32_t OctaveIn(const TProfileSnapshot& Settings) { return Clamp(Settings.ReadInteger(KeyboardSection, "Octave", 4), OctaveRange); }
int32_t FadeIn(const TProfileSnapshot& Settings) { return Clamp(Settings.ReadInteger(KeyboardSection, "Fade", 0), MIDIDataRange); }
int32_t VolumeIn(const TProfileSnapshot& Settings)
{
    return Clamp(Settings.ReadInteger(KeyboardSection, "Volume", 111), VolumeRange);
}
int32_t DeviceIDIn(const TProfileSnapshot& Settings) { return Settings.ReadInteger(MIDIOutSection, "DeviceID", 0); }
std::string DeviceNameIn(const TProfileSnapshot& Settings) { return Settings.ReadString(MIDIOutSection, "DeviceName", ""); }
bool AccentIn(const TProfileSnapshot& Settings) { return Settings.ReadBool(KeyboardSection, "Accent", false); }
bool SoftIn(const TProfileSnapshot& Settings) { return Settings.ReadBool(KeyboardSection, "Soft", false); }
bool SustainIn(const TProfileSnapshot& Settings) { return Settings.ReadBool(KeyboardSection, "Sustain", false); }

int32_t ReadInteger(const TKeyboardConfig& Config, const char* Section, const char* Key, int32_t Default)
{
    return Snapshot(Config).ReadInteger(Section, Key, Default);
}

void WriteBool(TKeyboardConfig& Config, const char* Section, const char* Key, bool Value)
{
    if (Config.Ini)
        Config.Ini->WriteBool(Section, Key, Value);
}

void WriteInteger(TKeyboardConfig& Config, const char* Section, const char* Key, int32_t Value)
{
    if (Config.Ini)
        Config.Ini->WriteInteger(Section, Key, Value);
}

void WriteString(TKeyboardConfig& Config, const char* Section, const char* Key, const std::string& Value)
{
    if (Config.Ini)
        Config.Ini->WriteString(Section, Key, Value);
}

// The catalogue must be a data file of the program: a name that could lead
// out of the data and settings folders counts as no such file.
std::string ExistingPatch(const std::string& Name)
{
    const bool BareName = Name.find_first_of(std::string("/\\\0", 3)) == std::string::npos &&
                          Name.find("..") == std::string::npos;
    return BareName && FileExists(DataFile(Name)) ? Name : DefaultPatch;
}

bool LoadConfiguredPatch(const TKeyboardConfig& Config)
{
    return MIDIPatch.LoadPatch(DataFile(Config.GetPatch()));
}

}

bool TKeyboardConfig::GetAccent() const { return AccentIn(Snapshot(*this)); }
void TKeyboardConfig::SetAccent(bool Value) { WriteBool(*this, KeyboardSection, "Accent", Value); }
bool TKeyboardConfig::GetSoft() const { return SoftIn(Snapshot(*this)); }
void TKeyboardConfig::SetSoft(bool Value) { WriteBool(*this, KeyboardSection, "Soft", Value); }
bool TKeyboardConfig::GetSustain() const { return SustainIn(Snapshot(*this)); }
void TKeyboardConfig::SetSustain(bool Value) { WriteBool(*this, KeyboardSection, "Sustain", Value); }

int32_t TKeyboardConfig::GetChannel() const { return ChannelIn(Snapshot(*this)); }
void TKeyboardConfig::SetChannel(int32_t Value) { WriteInteger(*this, KeyboardSection, "Channel", Clamp(Value, ChannelRange)); }

int32_t TKeyboardConfig::GetGroup() const { return ReadInteger(*this, KeyboardSection, "Group", 0); }
void TKeyboardConfig::SetGroup(int32_t Value) { WriteInteger(*this, KeyboardSection, "Group", Value); }
int32_t TKeyboardConfig::GetVoice() const { return ReadInteger(*this, KeyboardSection, "Voice", 0); }
void TKeyboardConfig::SetVoice(int32_t Value) { WriteInteger(*this, KeyboardSection, "Voice", Value); }

int32_t TKeyboardConfig::GetOctave() const { return OctaveIn(Snapshot(*this)); }
void TKeyboardConfig::SetOctave(int32_t Value) { WriteInteger(*this, KeyboardSection, "Octave", Clamp(Value, OctaveRange)); }

int32_t TKeyboardConfig::GetFade() const { return FadeIn(Snapshot(*this)); }
void TKeyboardConfig::SetFade(int32_t Value) { WriteInteger(*this, KeyboardSection, "Fade", Clamp(Value, MIDIDataRange)); }

int32_t TKeyboardConfig::GetVolume() const { return VolumeIn(Snapshot(*this)); }
void TKeyboardConfig::SetVolume(int32_t Value)
{
    WriteInteger(*this, KeyboardSection, "Volume", Clamp(Value, VolumeRange));
}

std::string TKeyboardConfig::GetMap() const { return ReadString(*this, KeyboardSection, "Map", "Tracker"); }
void TKeyboardConfig::SetMap(const std::string& Value) { WriteString(*this, KeyboardSection, "Map", Value); }

int32_t TKeyboardConfig::GetMouseOctave() const { return Clamp(ReadInteger(*this, MouseSection, "Octave", 4), OctaveRange); }
void TKeyboardConfig::SetMouseOctave(int32_t Value) { WriteInteger(*this, MouseSection, "Octave", Clamp(Value, OctaveRange)); }

int32_t TKeyboardConfig::GetDeviceID() const { return DeviceIDIn(Snapshot(*this)); }
void TKeyboardConfig::SetDeviceID(int32_t Value) { WriteInteger(*this, MIDIOutSection, "DeviceID", Value); }
std::string TKeyboardConfig::GetDeviceName() const { return DeviceNameIn(Snapshot(*this)); }
void TKeyboardConfig::SetDeviceName(const std::string& Value) { WriteString(*this, MIDIOutSection, "DeviceName", Value); }

TNoteSettings TKeyboardConfig::GetNoteSettings() const
{
    const TProfileSnapshot Settings = Snapshot(*this);
    return TNoteSettings{ChannelIn(Settings), VolumeIn(Settings), FadeIn(Settings), AccentIn(Settings),
                         SoftIn(Settings),    SustainIn(Settings), DeviceIDIn(Settings)};
}

std::string TKeyboardConfig::GetPatch() const
{
    return ExistingPatch(ReadString(*this, ConfigSection, "Patch", DefaultPatch));
}
void TKeyboardConfig::SetPatch(const std::string& Value) { WriteString(*this, ConfigSection, "Patch", ExistingPatch(Value)); }

void TKeyboardConfig::Normalize()
{
    // This order of first writes lays out a fresh settings file.
    SetAccent(GetAccent());
    SetSoft(GetSoft());
    SetChannel(GetChannel());
    SetGroup(GetGroup());
    SetVoice(GetVoice());
    SetOctave(GetOctave());
    SetFade(GetFade());
    SetVolume(GetVolume());
    SetMap(GetMap());
    SetDeviceID(GetDeviceID());
    SetMouseOctave(GetMouseOctave());
    SetSustain(GetSustain());
    SetPatch(GetPatch());
}

void TKeyboardConfig::OpenConfig(const std::string& FileName)
{
    Ini = std::make_unique<ProfileFile>(FileName, SettingsSizeLimit);
    Ini->RemoveStaleTemporaries();
    Normalize();
    if (!LoadConfiguredPatch(*this)) {
        SetPatch(DefaultPatch);
        LoadConfiguredPatch(*this);
    }
}

void TKeyboardConfig::CloseConfig()
{
    if (Ini) {
        Ini->UpdateFile();
        Ini.reset();
    }
    MIDIPatch.ClearPatch();
}

TStoredDevice StoredDevice()
{
    const TProfileSnapshot Settings(SettingsFile("Setup.ini"), SettingsSizeLimit);
    return {DeviceIDIn(Settings), DeviceNameIn(Settings)};
}

void KlavoraConfigStart()
{
    try {
        MakeSettingsFolder();
        KeyboardConfig.OpenConfig(SettingsFile("Setup.ini"));
    } catch (const EProfileWriteError& Error) {
        // A settings file that cannot be written is reported once; the
        // program goes on with what the file holds or the defaults.
        ShowError(Error.what());
        LoadConfiguredPatch(KeyboardConfig);
    }
}

void KlavoraConfigStop()
{
    KeyboardConfig.CloseConfig();
}
