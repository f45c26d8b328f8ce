#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "config/ProfileFile.h"
#include "support/ArrayRoutines.h"

// The key map: Windows virtual-key codes to note offsets, read from one
// section of the keyboard definition file.
struct TMIDIKeymapping {
    std::unique_ptr<ProfileFile> Ini;
    TArrayInteger KeyCodes;
    TArrayInteger NoteOffsets;

    void LoadKeymap(const std::string& FileName, const std::string& MapName);
    // The note offset of a key, or -1 when the key is not mapped.
    int32_t FindNoteOffset(uint16_t KeyCode) const;
    void FreeKeymap();
};

extern TMIDIKeymapping MIDIKeymapping;

// Start step: loads the map named by the Map setting from "Keyboard.ini" (the
// user's own or the shipped one). Stop step: frees it.
void MIDIKeymappingStart();
void MIDIKeymappingStop();
