#include "midi/SystemMIDIPorts.h"

#include <algorithm>
#include <cctype>
#include <iostream>
#include <sstream>
#include <thread>

#include "midi/MIDIOutService.h"
#include "midi/SoundSystemRoutines.h"

namespace {

constexpr const char* OutputPortName = "MIDI Out";

RtMidi::Api RtMidiAPI(TSystemMIDIAPI API)
{
    return API == TSystemMIDIAPI::JACK ? RtMidi::UNIX_JACK : RtMidi::LINUX_ALSA;
}

bool IsAllDigits(const std::string& Text)
{
    return !Text.empty() &&
           std::all_of(Text.begin(), Text.end(), [](unsigned char Letter) { return std::isdigit(Letter); });
}

// JACK names a second client of the same name "Klavora-01" and so on.
bool IsOwnPort(const std::string& Name)
{
    const std::string Client = Name.substr(0, Name.find(':'));
    const std::string Own = SystemClientName;
    if (Client == Own)
        return true;
    return Client.size() > Own.size() + 1 && Client.compare(0, Own.size(), Own) == 0 &&
           Client[Own.size()] == '-' && IsAllDigits(Client.substr(Own.size() + 1));
}

// "Client:Port 24:0" without " 24:0"; nothing for a name without an address.
std::optional<std::string> WithoutALSAAddress(const std::string& Name)
{
    const size_t Space = Name.rfind(' ');
    if (Space == std::string::npos)
        return std::nullopt;
    const std::string Address = Name.substr(Space + 1);
    const size_t Colon = Address.find(':');
    if (Colon == std::string::npos || !IsAllDigits(Address.substr(0, Colon)) ||
        !IsAllDigits(Address.substr(Colon + 1)))
        return std::nullopt;
    return Name.substr(0, Space);
}

// RtMidi reports a failure of its constructor on the console before a caller
// can hand it an error callback. This holds the console back meanwhile and
// tells whether anything was reported.
class TConsoleHold {
public:
    TConsoleHold() : Saved(std::cerr.rdbuf(Held.rdbuf())) {}
    ~TConsoleHold() { std::cerr.rdbuf(Saved); }
    TConsoleHold(const TConsoleHold&) = delete;
    TConsoleHold& operator=(const TConsoleHold&) = delete;

    bool Reported() const { return !Held.str().empty(); }

private:
    std::ostringstream Held;
    std::streambuf* Saved;
};

void IgnoreFailure(RtMidiError::Type, const std::string&, void*) {}

// A client of the API that reports its failures to Callback; null when the
// API cannot be reached.
std::unique_ptr<RtMidiOut> NewClient(TSystemMIDIAPI API, RtMidiErrorCallback Callback, void* UserData)
{
    PrepareSoundSystems();
    TConsoleHold Console;
    std::unique_ptr<RtMidiOut> Client;
    try {
        Client = std::make_unique<RtMidiOut>(RtMidiAPI(API), SystemClientName);
    } catch (const RtMidiError&) {
        return nullptr;
    }
    // Without a JACK server the constructor only warns.
    if (Console.Reported())
        return nullptr;
    Client->setErrorCallback(Callback, UserData);
    return Client;
}

// The port's index in the system's current list, an exact match first.
std::optional<unsigned> CurrentIndex(RtMidiOut& Client, const TSystemPortName& Port)
{
    std::vector<std::string> Names(Client.getPortCount());
    for (unsigned Index = 0; Index < Names.size(); ++Index)
        Names[Index] = Client.getPortName(Index);
    for (unsigned Index = 0; Index < Names.size(); ++Index)
        if (Names[Index] == Port.Name)
            return Index;
    for (unsigned Index = 0; Index < Names.size(); ++Index)
        if (IsSamePort(Port.API, Port.Name, Names[Index]))
            return Index;
    return std::nullopt;
}

}

std::vector<TSystemPortName> ListSystemPorts(std::vector<std::unique_ptr<RtMidiOut>>* Clients)
{
    std::vector<TSystemPortName> Ports;
    for (TSystemMIDIAPI API : {TSystemMIDIAPI::JACK, TSystemMIDIAPI::ALSA}) {
        try {
            std::unique_ptr<RtMidiOut> Client = NewClient(API, IgnoreFailure, nullptr);
            if (!Client)
                continue;
            RtMidiOut& Listing = *Client;
            if (Clients != nullptr)
                Clients->push_back(std::move(Client));
            const unsigned Count = Listing.getPortCount();
            for (unsigned Index = 0; Index < Count; ++Index) {
                std::string Name = Listing.getPortName(Index);
                if (!Name.empty() && !IsOwnPort(Name))
                    Ports.push_back(TSystemPortName{API, std::move(Name)});
            }
        } catch (const std::exception&) {
            // An API that fails while listing keeps what it listed so far.
        }
    }
    return Ports;
}

bool IsSamePort(TSystemMIDIAPI API, const std::string& Enumerated, const std::string& Current)
{
    if (Enumerated == Current)
        return true;
    if (API != TSystemMIDIAPI::ALSA)
        return false;
    const std::optional<std::string> Port = WithoutALSAAddress(Enumerated);
    return Port && Port == WithoutALSAAddress(Current);
}

uint32_t OpenResultOf(RtMidiError::Type Failure)
{
    switch (Failure) {
    case RtMidiError::NO_DEVICES_FOUND:
    case RtMidiError::INVALID_DEVICE:
    case RtMidiError::INVALID_PARAMETER:
        return MMSYSERR_BADDEVICEID;
    case RtMidiError::MEMORY_ERROR:
        return MMSYSERR_NOMEM;
    // The port is held elsewhere or refuses the connection.
    case RtMidiError::DRIVER_ERROR:
    case RtMidiError::INVALID_USE:
        return MMSYSERR_ALLOCATED;
    default:
        return MMSYSERR_ERROR;
    }
}

uint32_t SendResultOf(RtMidiError::Type Failure)
{
    switch (Failure) {
    // The system could not take the bytes just now.
    case RtMidiError::WARNING:
        return MIDIERR_NOTREADY;
    case RtMidiError::INVALID_USE:
        return MMSYSERR_INVALHANDLE;
    default:
        return MMSYSERR_ERROR;
    }
}

uint32_t CloseResultOf(RtMidiError::Type Failure)
{
    return Failure == RtMidiError::INVALID_USE ? MMSYSERR_INVALHANDLE : MMSYSERR_ERROR;
}

TSystemMIDIPort::~TSystemMIDIPort()
{
    Close();
    // A JACK process cycle that began before the close may still be reading
    // the client's queue; it ends long before this.
    if (Out && Port.API == TSystemMIDIAPI::JACK)
        std::this_thread::sleep_until(ClosedAt + std::chrono::milliseconds(100));
}

void TSystemMIDIPort::RecordFailure(RtMidiError::Type Type, const std::string&, void* Connection)
{
    if (Type != RtMidiError::DEBUG_WARNING)
        static_cast<TSystemMIDIPort*>(Connection)->Failure = Type;
}

uint32_t TSystemMIDIPort::Open()
{
    if (IsOpen())
        return MMSYSERR_ALLOCATED;
    try {
        if (!Out)
            Out = NewClient(Port.API, RecordFailure, this);
        if (!Out)
            return MMSYSERR_BADDEVICEID;
        const std::optional<unsigned> Index = CurrentIndex(*Out, Port);
        if (!Index)
            return MMSYSERR_BADDEVICEID;
        Failure.reset();
        Out->openPort(*Index, OutputPortName);
        if (Out->isPortOpen())
            return MMSYSERR_NOERROR;
        return OpenResultOf(Failure.value_or(RtMidiError::UNSPECIFIED));
    } catch (const RtMidiError& Error) {
        return OpenResultOf(Error.getType());
    } catch (const std::bad_alloc&) {
        return MMSYSERR_NOMEM;
    } catch (const std::exception&) {
        return MMSYSERR_ERROR;
    }
}

uint32_t TSystemMIDIPort::Send(const TShortMessageBytes& Message)
{
    if (!IsOpen())
        return MMSYSERR_INVALHANDLE;
    Failure.reset();
    try {
        Out->sendMessage(Message.Bytes, Message.Count);
    } catch (const RtMidiError& Error) {
        return SendResultOf(Error.getType());
    } catch (const std::exception&) {
        return MMSYSERR_ERROR;
    }
    return Failure ? SendResultOf(*Failure) : MMSYSERR_NOERROR;
}

uint32_t TSystemMIDIPort::Close()
{
    if (!IsOpen())
        return MMSYSERR_NOERROR;
    Failure.reset();
    try {
        Out->closePort();
    } catch (const RtMidiError& Error) {
        return CloseResultOf(Error.getType());
    } catch (const std::exception&) {
        return MMSYSERR_ERROR;
    }
    ClosedAt = std::chrono::steady_clock::now();
    return Failure ? CloseResultOf(*Failure) : MMSYSERR_NOERROR;
}
