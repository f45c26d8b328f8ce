#include "midi/SystemMIDIPorts.h"

#include <algorithm>
#include <cctype>
#include <iostream>
#include <mutex>
#include <sstream>

#include "midi/MIDIOutService.h"
#include "midi/SoundSystemRoutines.h"

namespace {

constexpr const char* OutputPortName = "MIDI Out";

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

// A client of the ALSA sequencer that reports its failures to Callback; null
// when the sequencer cannot be reached.
std::unique_ptr<RtMidiOut> NewALSAClient(RtMidiErrorCallback Callback, void* UserData)
{
    PrepareSoundSystems();
    TConsoleHold Console;
    std::unique_ptr<RtMidiOut> Client;
    try {
        Client = std::make_unique<RtMidiOut>(RtMidi::LINUX_ALSA, SystemClientName);
    } catch (const RtMidiError&) {
        return nullptr;
    }
    if (Console.Reported())
        return nullptr;
    Client->setErrorCallback(Callback, UserData);
    return Client;
}

// The port's index in the sequencer's current list, an exact match first.
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

std::mutex SharedJACKLock;
std::shared_ptr<TJACKMIDIClient> SharedJACK;

void ListJACKPorts(std::vector<TSystemPortName>& Ports)
{
    const std::shared_ptr<TJACKMIDIClient> Client = SharedJACKMIDIClient();
    if (!Client)
        return;
    for (std::string& Name : Client->InputPorts())
        if (!IsOwnPort(Name))
            Ports.push_back(TSystemPortName{TSystemMIDIAPI::JACK, std::move(Name)});
}

void ListALSAPorts(std::vector<TSystemPortName>& Ports, std::unique_ptr<RtMidiOut>* ALSALister)
{
    std::unique_ptr<RtMidiOut> Client;
    std::unique_ptr<RtMidiOut>& Lister = ALSALister != nullptr ? *ALSALister : Client;
    if (!Lister)
        Lister = NewALSAClient(IgnoreFailure, nullptr);
    if (!Lister)
        return;
    RtMidiOut& Listing = *Lister;
    const unsigned Count = Listing.getPortCount();
    for (unsigned Index = 0; Index < Count; ++Index) {
        std::string Name = Listing.getPortName(Index);
        if (!Name.empty() && !IsOwnPort(Name))
            Ports.push_back(TSystemPortName{TSystemMIDIAPI::ALSA, std::move(Name)});
    }
}

}

std::shared_ptr<TJACKMIDIClient> SharedJACKMIDIClient()
{
    std::lock_guard Hold(SharedJACKLock);
    if (!SharedJACK || SharedJACK->Gone())
        SharedJACK = TJACKMIDIClient::Open(SystemClientName);
    return SharedJACK;
}

void ReleaseSharedJACKMIDIClient()
{
    std::lock_guard Hold(SharedJACKLock);
    SharedJACK.reset();
}

std::vector<TSystemPortName> ListSystemPorts(std::unique_ptr<RtMidiOut>* ALSALister)
{
    std::vector<TSystemPortName> Ports;
    // A system that fails while listing keeps what it listed so far.
    try {
        ListJACKPorts(Ports);
    } catch (const std::exception&) {
    }
    try {
        ListALSAPorts(Ports, ALSALister);
    } catch (const std::exception&) {
    }
    return Ports;
}

std::unique_ptr<TJACKPortWatcher> TJACKPortWatcher::Open(std::function<void()> Changed)
{
    PrepareSoundSystems();
    const std::string Name = std::string(SystemClientName) + " Port Watch";
    jack_client_t* Client = jack_client_open(Name.c_str(), JackNoStartServer, nullptr);
    if (Client == nullptr)
        return nullptr;
    std::unique_ptr<TJACKPortWatcher> Watcher(new TJACKPortWatcher(Client, std::move(Changed)));
    jack_on_info_shutdown(Client, OnShutdown, Watcher.get());
    if (jack_set_port_registration_callback(Client, OnRegistration, Watcher.get()) != 0 || jack_activate(Client) != 0)
        return nullptr;
    return Watcher;
}

TJACKPortWatcher::~TJACKPortWatcher()
{
    // libjack crashes on closing a client whose server died.
    if (Watching())
        jack_client_close(Client);
}

void TJACKPortWatcher::OnRegistration(jack_port_id_t Port, int, void* Watcher)
{
    auto* Self = static_cast<TJACKPortWatcher*>(Watcher);
    // The program's own outputs come and go as it plays: they change nothing.
    if (const jack_port_t* Found = jack_port_by_id(Self->Client, Port);
        Found != nullptr && (jack_port_flags(Found) & JackPortIsOutput) != 0)
        return;
    Self->Changed();
}

void TJACKPortWatcher::OnShutdown(jack_status_t, const char*, void* Watcher)
{
    static_cast<TJACKPortWatcher*>(Watcher)->ServerGone.store(true, std::memory_order_release);
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
        return Port.API == TSystemMIDIAPI::JACK ? OpenJACK() : OpenALSA();
    } catch (const RtMidiError& Error) {
        return OpenResultOf(Error.getType());
    } catch (const std::bad_alloc&) {
        return MMSYSERR_NOMEM;
    } catch (const std::exception&) {
        return MMSYSERR_ERROR;
    }
}

uint32_t TSystemMIDIPort::OpenJACK()
{
    std::shared_ptr<TJACKMIDIClient> Client = SharedJACKMIDIClient();
    if (!Client)
        return MMSYSERR_BADDEVICEID;
    const uint32_t Result = Client->Connect(Port.Name, JACKOutput);
    if (Result == MMSYSERR_NOERROR)
        JACK = std::move(Client);
    return Result;
}

uint32_t TSystemMIDIPort::OpenALSA()
{
    if (!ALSA)
        ALSA = NewALSAClient(RecordFailure, this);
    if (!ALSA)
        return MMSYSERR_BADDEVICEID;
    const std::optional<unsigned> Index = CurrentIndex(*ALSA, Port);
    if (!Index)
        return MMSYSERR_BADDEVICEID;
    Failure.reset();
    ALSA->openPort(*Index, OutputPortName);
    if (ALSA->isPortOpen())
        return MMSYSERR_NOERROR;
    return OpenResultOf(Failure.value_or(RtMidiError::UNSPECIFIED));
}

uint32_t TSystemMIDIPort::Send(const TShortMessageBytes& Message)
{
    if (JACK)
        return JACK->Send(JACKOutput, Message);
    if (!IsOpen())
        return MMSYSERR_INVALHANDLE;
    Failure.reset();
    try {
        ALSA->sendMessage(Message.Bytes, Message.Count);
    } catch (const RtMidiError& Error) {
        return SendResultOf(Error.getType());
    } catch (const std::exception&) {
        return MMSYSERR_ERROR;
    }
    return Failure ? SendResultOf(*Failure) : MMSYSERR_NOERROR;
}

// A JACK port whose server has gone has nothing left to close.
uint32_t TSystemMIDIPort::Close()
{
    if (JACK) {
        JACK->Disconnect(JACKOutput);
        JACK.reset();
        return MMSYSERR_NOERROR;
    }
    if (!IsOpen())
        return MMSYSERR_NOERROR;
    Failure.reset();
    try {
        ALSA->closePort();
    } catch (const RtMidiError& Error) {
        return CloseResultOf(Error.getType());
    } catch (const std::exception&) {
        return MMSYSERR_ERROR;
    }
    return Failure ? CloseResultOf(*Failure) : MMSYSERR_NOERROR;
}
