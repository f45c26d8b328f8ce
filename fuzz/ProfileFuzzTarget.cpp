// Feeds any bytes to the profile reader and writer, and to the key map and
// catalogue loaders on top of them, and checks what must hold for every file.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzFolder.h"
#include "config/MIDIKeymappingRoutines.h"
#include "config/MIDIPatchRoutines.h"
#include "config/ProfileFile.h"

namespace {

void CheckListingAgreesWithReads(const ProfileFile& Ini)
{
    const TProfileListing Listing = Ini.ReadListing();
    Require(Listing.Sections() == Ini.ReadSections(), "the listing differs from ReadSections");
    // Every section and key costs a read of the whole file: a few suffice.
    for (size_t Section = 0; Section < Listing.Sections().size() && Section < 4; ++Section) {
        const std::string& Name = Listing.Sections()[Section];
        const TStringList Keys = Ini.ReadSection(Name);
        const std::vector<TProfileEntry>& Entries = Listing.Entries(Section);
        Require(Keys.size() == Entries.size(), "the listing differs from ReadSection");
        for (size_t Key = 0; Key < Entries.size() && Key < 6; ++Key) {
            Require(Entries[Key].Name == Keys[Key], "a listed key differs");
            const std::string Sentinel = "\x01(default)";
            Require(Entries[Key].Value.value_or(Sentinel) == Ini.ReadString(Name, Keys[Key], Sentinel),
                    "a listed value differs from ReadString");
        }
    }
}

void LoadKeymap(const std::string& FileName, const std::string& MapName)
{
    MIDIKeymapping.LoadKeymap(FileName, MapName);
    Require(MIDIKeymapping.KeyCodes.size() == MIDIKeymapping.NoteOffsets.size(), "key codes and offsets differ");
    for (uint32_t Code = 0; Code < 256; ++Code)
        Require(MIDIKeymapping.FindNoteOffset(static_cast<uint16_t>(Code)) >= -1, "a negative note offset");
    MIDIKeymapping.FreeKeymap();
}

// The shipped map's name, and the first few the file itself holds: a user
// may name any section as the map.
void LoadKeymapAndCatalogue(const ProfileFile& Ini, const std::string& FileName)
{
    LoadKeymap(FileName, "Tracker");
    const TStringList Sections = Ini.ReadSections();
    for (size_t Section = 0; Section < Sections.size() && Section < 2; ++Section)
        LoadKeymap(FileName, Sections[Section]);

    MIDIPatch.LoadPatch(FileName);
    Require(MIDIPatch.GroupNames->size() == MIDIPatch.GroupPrograms.size(), "groups and their programs differ");
    for (size_t Group = 0; Group < MIDIPatch.GroupPrograms.size(); ++Group) {
        const TStringList Voices = MIDIPatch.GroupVoiceNames(static_cast<int32_t>(Group));
        for (size_t Voice = 0; Voice < Voices.size(); ++Voice)
            Require(MIDIPatch.ProgramOf(static_cast<int32_t>(Group), static_cast<int32_t>(Voice)) < 128,
                    "a program beyond 127");
    }
    MIDIPatch.ClearPatch();
}

// Whatever the file held, a written value is what the next read finds.
void CheckWritesReadBack(ProfileFile& Ini)
{
    Ini.WriteInteger("Keyboard", "Channel", 7);
    Require(Ini.ReadInteger("Keyboard", "Channel", 0) == 7, "a replaced or added key does not read back");
    Ini.WriteString("Fuzz Section", "Fuzz Key", "value");
    Require(Ini.ReadString("Fuzz Section", "Fuzz Key", "") == "value", "an added section does not read back");
    Require(Ini.ReadInteger("Keyboard", "Channel", 0) == 7, "a later write lost an earlier one");
}

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    const std::string FileName = WriteFuzzFile("Input.ini", Data, Size);
    ProfileFile Ini(FileName);
    CheckListingAgreesWithReads(Ini);
    LoadKeymapAndCatalogue(Ini, FileName);
    CheckWritesReadBack(Ini);
    return 0;
}
