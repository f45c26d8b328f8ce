// Feeds any bytes to the settings store as its settings file (and as an
// instrument catalogue the file may name): the start-up normalisation, every
// getter, the setters with values the file itself holds, and the check of the
// catalogue's name.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "FuzzFolder.h"
#include "config/KlavoraConfigRoutines.h"
#include "config/MIDIPatchRoutines.h"
#include "config/ProfileFile.h"
#include "support/FilePathRoutines.h"
#include "support/ProgramFolderRoutines.h"

namespace {

constexpr const char* DefaultPatch = "GeneralMIDI.ini";
// The catalogue the input also becomes, which "Patch=Fuzz.ini" selects.
constexpr const char* InputPatch = "Fuzz.ini";

// The fuzz folder as the program folder, with a shipped catalogue beside it.
void PrepareProgramFolder()
{
    static const bool Prepared = [] {
        SetProgramFolder(FuzzFolder());
        const std::string Catalogue = "[Piano]\n0=Acoustic Grand Piano\n1=Bright Acoustic Piano\n[Organ]\n16=Drawbar Organ\n";
        WriteFuzzFile(DefaultPatch, reinterpret_cast<const uint8_t*>(Catalogue.data()), Catalogue.size());
        return true;
    }();
    (void)Prepared;
}

struct TSettings {
    TNoteSettings Note;
    int32_t Group, Voice, Octave, MouseOctave;
    std::string Map, Patch;

    bool operator==(const TSettings& Other) const
    {
        return Note.Channel == Other.Note.Channel && Note.Volume == Other.Note.Volume && Note.Fade == Other.Note.Fade &&
               Note.Accent == Other.Note.Accent && Note.Soft == Other.Note.Soft && Note.Sustain == Other.Note.Sustain &&
               Note.DeviceID == Other.Note.DeviceID && Group == Other.Group && Voice == Other.Voice &&
               Octave == Other.Octave && MouseOctave == Other.MouseOctave && Map == Other.Map && Patch == Other.Patch;
    }
};

// Every getter, with what holds for any file: each value in its range, the
// note settings of one read as the single getters give them, and a catalogue
// name that names a data file and cannot lead out of the folders.
TSettings ReadAndCheck()
{
    const TKeyboardConfig& Config = KeyboardConfig;
    TSettings Settings{Config.GetNoteSettings(), Config.GetGroup(), Config.GetVoice(), Config.GetOctave(),
                       Config.GetMouseOctave(), Config.GetMap(), Config.GetPatch()};
    Require(Settings.Note.Channel >= 1 && Settings.Note.Channel <= 16, "a channel out of range");
    Require(Settings.Note.Volume >= MinVolume && Settings.Note.Volume <= MaxVolume, "a volume out of range");
    Require(Settings.Note.Fade >= 0 && Settings.Note.Fade <= 127, "a fade out of range");
    Require(Settings.Octave >= 0 && Settings.Octave <= 7, "an octave out of range");
    Require(Settings.MouseOctave >= 0 && Settings.MouseOctave <= 7, "a mouse octave out of range");
    Require(Settings.Note.Channel == Config.GetChannel() && Settings.Note.Volume == Config.GetVolume() &&
                Settings.Note.Fade == Config.GetFade() && Settings.Note.Accent == Config.GetAccent() &&
                Settings.Note.Soft == Config.GetSoft() && Settings.Note.Sustain == Config.GetSustain() &&
                Settings.Note.DeviceID == Config.GetDeviceID(),
            "the note settings differ from their getters");
    Require(Settings.Patch.find_first_of(std::string("/\\\0", 3)) == std::string::npos &&
                Settings.Patch.find("..") == std::string::npos,
            "a catalogue name that leads out of the folder");
    Require(FileExists(DataFile(Settings.Patch)), "a catalogue that does not exist");
    return Settings;
}

// Up to two values of the input's first section: what the setters get.
std::vector<std::string> SetterValues(const std::string& FileName)
{
    std::vector<std::string> Values;
    const TProfileListing Listing = ProfileFile(FileName).ReadListing();
    if (!Listing.Sections().empty())
        for (const TProfileEntry& Entry : Listing.Entries(0))
            if (Entry.Value && Values.size() < 2)
                Values.push_back(*Entry.Value);
    return Values;
}

int32_t Clamped(int32_t Value, int32_t Low, int32_t High) { return Value < Low ? Low : Value > High ? High : Value; }

// Each setter stores its own clamped value and leaves every other setting as it was.
void SetAndCheck(const std::string& Value)
{
    TKeyboardConfig& Config = KeyboardConfig;
    const int32_t Number = static_cast<int32_t>(std::strtol(Value.c_str(), nullptr, 0));

    TSettings Expected = ReadAndCheck();
    Config.SetChannel(Number);
    Expected.Note.Channel = Clamped(Number, 1, 16);
    Config.SetVolume(Number);
    Expected.Note.Volume = Clamped(Number, MinVolume, MaxVolume);
    Config.SetFade(Number);
    Expected.Note.Fade = Clamped(Number, 0, 127);
    Config.SetOctave(Number);
    Expected.Octave = Clamped(Number, 0, 7);
    Config.SetMouseOctave(Number);
    Expected.MouseOctave = Clamped(Number, 0, 7);
    Config.SetGroup(Number);
    Expected.Group = Number;
    Config.SetVoice(Number);
    Expected.Voice = Number;
    Config.SetDeviceID(Number);
    Expected.Note.DeviceID = Number;
    Config.SetAccent(Number % 2 != 0);
    Expected.Note.Accent = Number % 2 != 0;
    Config.SetSoft(Number % 3 != 0);
    Expected.Note.Soft = Number % 3 != 0;
    Config.SetSustain(Number % 5 != 0);
    Expected.Note.Sustain = Number % 5 != 0;
    Require(ReadAndCheck() == Expected, "a ranged setter does not read back, or changed another setting");

    // Any text as the map's name: a line break in it must not add settings.
    Config.SetMap(Value);
    Expected.Map = Config.GetMap();
    Config.SetPatch(Value);
    Expected.Patch = Config.GetPatch();
    Require(ReadAndCheck() == Expected, "a text setter changed another setting");
}

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    PrepareProgramFolder();
    const std::string FileName = WriteFuzzFile("Setup.ini", Data, Size);
    const std::string Catalogue = WriteFuzzFile(InputPatch, Data, Size);
    try {
        KeyboardConfig.OpenConfig(FileName);
        const TSettings Normalised = ReadAndCheck();
        Require(MIDIPatch.GroupNames->size() == MIDIPatch.GroupPrograms.size(), "groups and their programs differ");
        KeyboardConfig.Normalize();
        Require(ReadAndCheck() == Normalised, "a second normalisation changed a setting");
        for (const std::string& Value : SetterValues(Catalogue))
            SetAndCheck(Value);
    } catch (const EProfileWriteError&) {
        // Only a settings file beyond its size limit refuses writes here.
        Require(Size > SettingsSizeLimit, "a write failed on a file within the limit");
    }
    KeyboardConfig.CloseConfig();
    return 0;
}
