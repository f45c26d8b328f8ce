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
    void SendAllNotesOff();
    void CloseAll();
    void Clear();

    // Whether Position names an entry; Items is never indexed otherwise.
    bool HasPosition(int32_t Position) const;
};

inline constexpr const char* MapperName = "Windows MIDI Mapper";

extern TMIDIDevices MIDIDevices;

// Start step: lists the ports. Stop step: closes every port and empties the list.
void MIDIDevicesStart();
void MIDIDevicesStop();
