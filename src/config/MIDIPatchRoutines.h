#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "config/ProfileFile.h"
#include "support/VCLRoutines.h"

// The instrument catalogue: groups of voices, each voice a MIDI program
// number with a name, read from a profile file whose sections are the groups
// and whose entries are program=name.
struct TMIDIPatch {
    std::unique_ptr<ProfileFile> Ini;
    // Indexed by program number; programs no entry named hold empty text.
    std::unique_ptr<TStringList> VoiceNames;
    // The group names in file order.
    std::unique_ptr<TStringList> GroupNames;
    // Per group, the program numbers of its voices, one byte each, in file order.
    std::vector<std::string> GroupPrograms;

    // Replaces the whole catalogue; false when no such file exists.
    bool LoadPatch(const std::string& FileName);
    void ClearPatch();
    // The program of a voice of a group; 0 for a position outside the catalogue.
    int32_t ProgramOf(int32_t Group, int32_t Voice) const;
    std::string VoiceName(int32_t Program) const;
    // A new list of the names of a group's voices, in voice order.
    TStringList GroupVoiceNames(int32_t Group) const;
};

extern TMIDIPatch MIDIPatch;
