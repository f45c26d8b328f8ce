#pragma once

#include <rtmidi/RtMidi.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/MIDIMessageRoutines.h"
#include "midi/JACKMIDIClient.h"

// The system's MIDI ports that the program can play into: the MIDI input
// ports of a running JACK server, reached through libjack, and the writable
// ports of the ALSA sequencer (which PipeWire also serves), through RtMidi.

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
// ALSA sequencer) contributes no port and no message. JACK is listed by the
// shared client, which stays for the ports opened later. Ending a connection
// to ALSA takes a while: given ALSALister, the client there lists (one is
// made there when it holds none) and stays for the caller to end later.
std::vector<TSystemPortName> ListSystemPorts(std::unique_ptr<RtMidiOut>* ALSALister = nullptr);

// Tells when MIDI input ports of other programs come and go on the JACK
// server that runs when it is made, through a client of its own that plays
// nothing, so that the server never wakes it for a cycle. Changed runs on
// JACK's notification thread.
class TJACKPortWatcher {
public:
    // Null when no JACK server runs.
    static std::unique_ptr<TJACKPortWatcher> Open(std::function<void()> Changed);
    ~TJACKPortWatcher();
    TJACKPortWatcher(const TJACKPortWatcher&) = delete;
    TJACKPortWatcher& operator=(const TJACKPortWatcher&) = delete;

    // Whether its server still runs.
    bool Watching() const { return !ServerGone.load(std::memory_order_acquire); }

private:
    TJACKPortWatcher(jack_client_t* Client, std::function<void()> Changed)
        : Client(Client)
        , Changed(std::move(Changed))
    {
    }
    static void OnRegistration(jack_port_id_t Port, int Registered, void* Watcher);
    static void OnShutdown(jack_status_t, const char*, void* Watcher);

    jack_client_t* const Client;
    const std::function<void()> Changed;
    std::atomic<bool> ServerGone = false;
};

// The JACK client that lists and plays into JACK's ports: the one kept while
// its server runs, else a new one; null when no JACK server runs.
std::shared_ptr<TJACKMIDIClient> SharedJACKMIDIClient();
// The shared client is kept no longer; the last open port holding it closes it.
void ReleaseSharedJACKMIDIClient();

// Whether a port name of the system's current list names the port that was
// enumerated as Enumerated. An ALSA name ends in the client and port numbers,
// which change when a device is plugged in again; the rest must match.
bool IsSamePort(TSystemMIDIAPI API, const std::string& Enumerated, const std::string& Current);

// The result code that describes an RtMidi failure of ALSA best, per operation.
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
    // it; a port that is no longer there, or whose server has gone, answers
    // MMSYSERR_BADDEVICEID.
    uint32_t Open();
    // A port that has gone since it opened answers MMSYSERR_INVALHANDLE.
    uint32_t Send(const TShortMessageBytes& Message);
    // Returns once what was sent has left.
    uint32_t Close();
    bool IsOpen() const { return JACK != nullptr || (ALSA && ALSA->isPortOpen()); }
    TSystemMIDIAPI API() const { return Port.API; }

private:
    static void RecordFailure(RtMidiError::Type Type, const std::string& Text, void* Connection);
    uint32_t OpenJACK();
    uint32_t OpenALSA();

    const TSystemPortName Port;
    // While a JACK port is open: the client and its output that play into it.
    std::shared_ptr<TJACKMIDIClient> JACK;
    int JACKOutput = -1;
    // Kept from the first open of an ALSA port on.
    std::unique_ptr<RtMidiOut> ALSA;
    std::optional<RtMidiError::Type> Failure;
};
