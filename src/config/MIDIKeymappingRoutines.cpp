#include "config/MIDIKeymappingRoutines.h"

#include "config/KlavoraConfigRoutines.h"
#include "config/ProfileInteger.h"
#include "support/ErrorRoutines.h"
#include "support/ProgramFolderRoutines.h"

TMIDIKeymapping MIDIKeymapping;

void TMIDIKeymapping::LoadKeymap(const std::string& FileName, const std::string& MapName)
{
    // A second load starts afresh: no key of an earlier map survives it.
    KeyCodes.clear();
    NoteOffsets.clear();
    Ini = std::make_unique<ProfileFile>(FileName);
    if (FileExists(FileName)) {
        const TProfileListing Listing = Ini->ReadListing();
        for (size_t Section = 0; Section < Listing.Sections().size(); ++Section) {
            if (Listing.Sections()[Section] != MapName)
                continue;
            KeyCodes.clear();
            NoteOffsets.clear();
            for (const TProfileEntry& Entry : Listing.Entries(Section)) {
                int32_t Offset = -1;
                if (!Entry.Value || !TryProfileInteger(*Entry.Value, Offset) || Offset < 0)
                    continue;
                // A key that is not a key code maps nothing.
                int32_t KeyCode = 0;
                if (!TryProfileInteger(Entry.Name, KeyCode))
                    continue;
                KeyCodes.push_back(KeyCode);
                NoteOffsets.push_back(Offset);
            }
        }
    }
    // "defenition" is the message's own spelling, kept on purpose: do not correct it.
    if (KeyCodes.empty())
        ShowError("Keyboard defenition file corrupted.");
}

int32_t TMIDIKeymapping::FindNoteOffset(uint16_t KeyCode) const
{
    // The last occurrence of a code counts.
    for (size_t Position = KeyCodes.size(); Position-- > 0;)
        if (KeyCodes[Position] == static_cast<int32_t>(KeyCode))
            return NoteOffsets[Position];
    return -1;
}

void TMIDIKeymapping::FreeKeymap()
{
    KeyCodes.clear();
    NoteOffsets.clear();
    if (Ini) {
        Ini->UpdateFile();
        Ini.reset();
    }
}

void MIDIKeymappingStart()
{
    MIDIKeymapping.LoadKeymap(DataFile("Keyboard.ini"), KeyboardConfig.GetMap());
}

void MIDIKeymappingStop()
{
    MIDIKeymapping.FreeKeymap();
}
