#pragma once

#include <rtmidi/RtMidi.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/MIDIMessageRoutines.h"

// The system's MIDI ports that the program can play into, reached through
// RtMidi: the input ports of a running JACK server and the writable ports of
// the ALSA sequencer (which PipeWire also serves).

enum class TSystemMIDIAPI { JACK, ALSA };

// A port as the system names it on its API.
struct TSystemPortName {
    TSystemMIDIAPI API = TSystemMIDIAPI::JACK;
    std::string Name;
};

// The name of the program's own client on both APIs.
inline constexpr const char* SystemClientName = "Klavora";

// Every port the program can play into, JACK's first, then ALSA's, leaving
// out the program's own. An API that cannot be reached (no JACK server, no
// ALSA sequencer) contributes no port and no message. Ending a connection to
// a sound system takes a while: given Clients, the connections that listed
// are handed over there for the caller to end later.
std::vector<TSystemPortName> ListSystemPorts(std::vector<std::unique_ptr<RtMidiOut>>* Clients = nullptr);

// Whether a port name of the system's current list names the port that was
// enumerated as Enumerated. An ALSA name ends in the client and port numbers,
// which change when a device is plugged in again; the rest must match.
bool IsSamePort(TSystemMIDIAPI API, const std::string& Enumerated, const std::string& Current);

// The result code that describes an RtMidi failure best, per operation.
uint32_t OpenResultOf(RtMidiError::Type Failure);
uint32_t SendResultOf(RtMidiError::Type Failure);
uint32_t CloseResultOf(RtMidiError::Type Failure);

// The program's output connection to one system port, opened and closed as
// often as the user likes. No exception leaves it.
class TSystemMIDIPort {
public:
    explicit TSystemMIDIPort(TSystemPortName Port) : Port(std::move(Port)) {}
    ~TSystemMIDIPort();
    TSystemMIDIPort(const TSystemMIDIPort&) = delete;
    TSystemMIDIPort& operator=(const TSystemMIDIPort&) = delete;

    // Looks the port up by name in the system's current list and connects to
    // it; a port that is no longer there answers MMSYSERR_BADDEVICEID.
    uint32_t Open();
    uint32_t Send(const TShortMessageBytes& Message);
    // Returns once what was sent has left: RtMidi waits for JACK's next
    // process cycle to take the queued bytes before the port goes.
    uint32_t Close();
    bool IsOpen() const { return Out && Out->isPortOpen(); }

private:
    static void RecordFailure(RtMidiError::Type Type, const std::string& Text, void* Connection);

    const TSystemPortName Port;
    // Kept from the first open on: RtMidi frees a JACK client's queue while
    // the process cycle that overlapped the close may still read it.
    std::unique_ptr<RtMidiOut> Out;
    std::optional<RtMidiError::Type> Failure;
    std::chrono::steady_clock::time_point ClosedAt;
};
