#include "config/MIDIPatchRoutines.h"

#include "config/ProfileInteger.h"
#include "support/RangeRoutines.h"

TMIDIPatch MIDIPatch;

bool TMIDIPatch::LoadPatch(const std::string& FileName)
{
    ClearPatch();
    if (!FileExists(FileName))
        return false;
    GroupNames = std::make_unique<TStringList>();
    VoiceNames = std::make_unique<TStringList>();
    Ini = std::make_unique<ProfileFile>(FileName);
    const TProfileListing Listing = Ini->ReadListing();
    for (size_t Group = 0; Group < Listing.Sections().size(); ++Group) {
        std::string& Programs = GroupPrograms.emplace_back();
        GroupNames->push_back(Listing.Sections()[Group]);
        for (const TProfileEntry& Entry : Listing.Entries(Group)) {
            int32_t Program = -1;
            // A key that is not a program number names no voice.
            if (!TryProfileInteger(Entry.Name, Program) || !InRange(Program, MIDIDataRange))
                continue;
            PutStringAt(VoiceNames.get(), Entry.Value.value_or("Patch: " + Entry.Name), Program);
            Programs.push_back(static_cast<char>(Program));
        }
    }
    return true;
}

void TMIDIPatch::ClearPatch()
{
    if (Ini) {
        Ini->UpdateFile();
        Ini.reset();
    }
    GroupPrograms.clear();
    VoiceNames.reset();
    GroupNames.reset();
}

int32_t TMIDIPatch::ProgramOf(int32_t Group, int32_t Voice) const
{
    if (Group < 0 || static_cast<size_t>(Group) >= GroupPrograms.size())
        return 0;
    const std::string& Programs = GroupPrograms[static_cast<size_t>(Group)];
    if (Voice < 0 || static_cast<size_t>(Voice) >= Programs.size())
        return 0;
    return static_cast<unsigned char>(Programs[static_cast<size_t>(Voice)]);
}

std::string TMIDIPatch::VoiceName(int32_t Program) const
{
    if (VoiceNames && Program >= 0 && static_cast<size_t>(Program) < VoiceNames->size())
        return (*VoiceNames)[static_cast<size_t>(Program)];
    return "Untitled: " + std::to_string(Program);
}

TStringList TMIDIPatch::GroupVoiceNames(int32_t Group) const
{
    TStringList Names;
    if (Group >= 0 && static_cast<size_t>(Group) < GroupPrograms.size())
        for (char Program : GroupPrograms[static_cast<size_t>(Group)])
            Names.push_back(VoiceName(static_cast<unsigned char>(Program)));
    return Names;
}
