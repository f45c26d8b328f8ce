#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "midi/MIDIOutService.h"

// One output port of the MIDI service: the name shown to the user, the
// identifier the service opens it by, and the handle while it is open.
// Every failure of the service is shown in the error box; callers learn
// nothing and simply go on.
struct TMIDIDevice {
    HMIDIOUT Handle = 0;
    std::string Name;
    int32_t ID = MIDI_MAPPER;
    // False for an open port that the system no longer lists: it stays, and
    // its sends fail, until it is closed; it cannot be opened again.
    bool Listed = true;

    // Opens the port and, on success, sends the program change of the
    // user's channel and instrument.
    void Open(int32_t Channel, int32_t Program);
    void Close();
    void SendShortMessage(uint32_t Message);
    void SendNoteOn(int32_t Channel, int32_t Note, int32_t Velocity);
    void SendNoteOff(int32_t Channel, int32_t Note, int32_t Velocity);
    void SendProgramChange(int32_t Channel, int32_t Program);
    // All Notes Off on channels 1..16, only when the port is open.
    void SendAllNotesOff();
    // Forgets the port without closing it.
    void Clear();
};

// The output ports the user can choose from, the system's mapper first.
// A position in Items is how the rest of the program names a port.
struct TMIDIDevices {
    std::vector<TMIDIDevice> Items;

    void Enumerate();
    // All Notes Off on every open port the system lists.
    void SendAllNotesOff();
    // Reads the service's ports again, in its order after the mapper, each
    // open entry keeping its handle: at the port of its name, or, when the
    // system no longer lists it, unlisted at the end until it is closed.
    // Ports whose capabilities cannot be read are left out without a box.
    // Returns the positions of open entries whose port the system lists
    // again after it had gone: their connection must be made anew.
    std::vector<int32_t> Refresh();
    // The position of the listed port that Name names, or -1.
    int32_t PositionOf(const std::string& Name) const;
    // How many entries the system lists: the unlisted ones come after them.
    int32_t ListedCount() const;
    void CloseAll();
    void Clear();

    // Whether Position names an entry; Items is never indexed otherwise.
    bool HasPosition(int32_t Position) const;
};

inline constexpr const char* MapperName = "Windows MIDI Mapper";

// What the user is told when a port cannot be opened with this result code.
const char* OpenErrorText(uint32_t Result);

extern TMIDIDevices MIDIDevices;

// Start step: lists the ports. Stop step: closes every port and empties the list.
void MIDIDevicesStart();
void MIDIDevicesStop();
