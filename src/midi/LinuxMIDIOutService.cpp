#include "midi/LinuxMIDIOutService.h"

#include <algorithm>
#include <cstring>
#include <future>
#include <thread>

#include "core/MIDIMessageRoutines.h"
#include "midi/FluidSynthLibrary.h"
#include "midi/SoundFontRoutines.h"
#include "midi/SoundSystemRoutines.h"
#include "support/ProgramFolderRoutines.h"

TLinuxMIDIOutService LinuxMIDIOutService;

namespace {

// The longest start of Name that fits the 32-byte product name field without
// cutting a UTF-8 character in two.
size_t FittingLength(const std::string& Name)
{
    size_t Length = std::min(Name.size(), sizeof(TMIDIOutCaps::szPname));
    if (Length < Name.size())
        while (Length > 0 && (static_cast<unsigned char>(Name[Length]) & 0xC0) == 0x80)
            --Length;
    return Length;
}

}

TLinuxMIDIOutService::~TLinuxMIDIOutService()
{
    Clear();
}

std::packaged_task<void()> TLinuxMIDIOutService::SynthesizerStart(const std::string& SoundFont)
{
    TakePrestarted({});
    PrestartedSoundFont = SoundFont;
    std::packaged_task<TStartedSynthesizer()> Start([SoundFont, Drivers = AudioDrivers] {
        TStartedSynthesizer Started{MMSYSERR_NOMEM, std::make_unique<TSynthesizerPort>()};
        Started.Result = Started.Port->Open(SoundFont, Drivers);
        return Started;
    });
    Prestarted = Start.get_future();
    return std::packaged_task<void()>(std::move(Start));
}

std::optional<TLinuxMIDIOutService::TStartedSynthesizer> TLinuxMIDIOutService::TakePrestarted(
    const std::string& SoundFont)
{
    if (!Prestarted.valid())
        return std::nullopt;
    std::optional<TStartedSynthesizer> Started;
    try {
        Started = Prestarted.get();
    } catch (const std::future_error&) {
        // Its start was dropped unrun.
        return std::nullopt;
    }
    if (SoundFont.empty() || SoundFont != PrestartedSoundFont)
        return std::nullopt;
    return Started;
}

void TLinuxMIDIOutService::Enumerate(const std::string& SoundFont, std::vector<TSystemPortName> SystemPorts)
{
    // A synthesizer prestarted for these devices stays for their first open.
    OpenPorts.clear();
    Devices.clear();
    if (!SoundFont.empty())
        Devices.push_back(TDevice{SynthesizerName, SoundFont, nullptr});
    for (TSystemPortName& Port : SystemPorts) {
        std::string Name = Port.Name;
        Devices.push_back(TDevice{std::move(Name), {}, std::make_unique<TSystemMIDIPort>(std::move(Port))});
    }
}

// Every port closes as it goes; the JACK client closes with the last of them.
void TLinuxMIDIOutService::Clear()
{
    OpenPorts.clear();
    Devices.clear();
    ReleaseSharedJACKMIDIClient();
    TakePrestarted({});
}

TSynthesizerPort* TLinuxMIDIOutService::Synthesizer(HMIDIOUT Handle)
{
    TOpenPort* Port = Find(Handle);
    return Port != nullptr ? Port->Synthesizer.get() : nullptr;
}

uint32_t TLinuxMIDIOutService::GetNumDevs()
{
    return static_cast<uint32_t>(Devices.size());
}

uint32_t TLinuxMIDIOutService::GetDevCaps(uint32_t DeviceID, TMIDIOutCaps& Caps)
{
    if (DeviceID >= Devices.size())
        return MMSYSERR_BADDEVICEID;
    const std::string& Name = Devices[DeviceID].Name;
    Caps = TMIDIOutCaps{};
    std::memcpy(Caps.szPname, Name.data(), FittingLength(Name));
    return MMSYSERR_NOERROR;
}

uint32_t TLinuxMIDIOutService::Open(HMIDIOUT& Handle, int32_t DeviceID)
{
    if (DeviceID == MIDI_MAPPER)
        return Devices.empty() ? MIDIERR_NODEVICE : OpenDevice(Devices.front(), Handle);
    if (DeviceID < 0 || static_cast<size_t>(DeviceID) >= Devices.size())
        return MMSYSERR_BADDEVICEID;
    return OpenDevice(Devices[static_cast<size_t>(DeviceID)], Handle);
}

uint32_t TLinuxMIDIOutService::OpenDevice(TDevice& Device, HMIDIOUT& Handle)
{
    try {
        OpenPorts.reserve(OpenPorts.size() + 1);
        TOpenPort Port;
        uint32_t Result;
        std::optional<TStartedSynthesizer> Started = TakePrestarted(Device.SoundFont);
        if (Device.Connection) {
            Port.System = Device.Connection.get();
            Result = Port.System->Open();
        } else if (Started) {
            Port.Synthesizer = std::move(Started->Port);
            Result = Started->Result;
        } else {
            Port.Synthesizer = std::make_unique<TSynthesizerPort>();
            Result = Port.Synthesizer->Open(Device.SoundFont, AudioDrivers);
        }
        if (Result != MMSYSERR_NOERROR)
            return Result;
        Port.Handle = ++LastHandle;
        OpenPorts.push_back(std::move(Port));
        Handle = LastHandle;
        return MMSYSERR_NOERROR;
    } catch (const std::bad_alloc&) {
        return MMSYSERR_NOMEM;
    }
}

uint32_t TLinuxMIDIOutService::ShortMsg(HMIDIOUT Handle, uint32_t Message)
{
    TOpenPort* Port = Find(Handle);
    if (Port == nullptr)
        return MMSYSERR_INVALHANDLE;
    const TShortMessageBytes Bytes = ShortMessageBytes(Message);
    if (Bytes.Count == 0)
        return (Message & 0x80) == 0 ? MIDIERR_BADOPENMODE : MMSYSERR_INVALPARAM;
    return Port->Synthesizer ? Port->Synthesizer->Send(Bytes) : Port->System->Send(Bytes);
}

uint32_t TLinuxMIDIOutService::Close(HMIDIOUT Handle)
{
    TOpenPort* Port = Find(Handle);
    if (Port == nullptr)
        return MMSYSERR_INVALHANDLE;
    const uint32_t Result = Port->Synthesizer ? Port->Synthesizer->Close() : Port->System->Close();
    if (Result == MMSYSERR_NOERROR)
        OpenPorts.erase(OpenPorts.begin() + (Port - OpenPorts.data()));
    return Result;
}

TLinuxMIDIOutService::TOpenPort* TLinuxMIDIOutService::Find(HMIDIOUT Handle)
{
    for (TOpenPort& Port : OpenPorts)
        if (Port.Handle == Handle && Handle != 0)
            return &Port;
    return nullptr;
}

namespace {

// The listing of the system's ports that runs while the program starts.
std::future<std::vector<TSystemPortName>> PreparedSystemPorts;
// The SoundFont found before the listing began; the start step uses it too.
std::optional<std::string> PreparedSoundFont;
std::thread SoundWorker;

// Lists the ports, hands the list over, ends the connections that listed,
// then starts the synthesizer if one was readied. One thread does it all in
// turn: the sound systems' libraries set themselves up on first use (ALSA's
// configuration loads PulseAudio's plug-in, PulseAudio its translations), and
// two threads doing so at once can each wait on a lock the other holds.
void PrepareOnWorker(std::promise<std::vector<TSystemPortName>> Listed,
                     std::packaged_task<void()> StartSynthesizer)
{
    {
        std::vector<std::unique_ptr<RtMidiOut>> Clients;
        try {
            Listed.set_value(ListSystemPorts(&Clients));
        } catch (...) {
            Listed.set_exception(std::current_exception());
        }
    }
    if (StartSynthesizer.valid())
        StartSynthesizer();
}

// Whether the stored position of the device list opens the built-in
// synthesizer, the service's first device: position 1 is that device, the
// mapper at 0 opens it, and a position below 0 names no device, so the window
// falls back to the mapper. Any higher position is taken for a system port.
bool OpensSynthesizer(int32_t StoredPosition)
{
    return StoredPosition <= 1;
}

}

void LinuxMIDIOutServicePrepare(int32_t StoredPosition)
{
    PrepareSoundSystems();
    PreparedSoundFont = FindSoundFont(SettingsFolder());
    std::packaged_task<void()> StartSynthesizer;
    if (!PreparedSoundFont->empty() && OpensSynthesizer(StoredPosition)) {
        // Its libraries load here, before the worker starts: libraries that
        // set themselves up on two threads at once can deadlock.
        FluidSynthLibrary();
        StartSynthesizer = LinuxMIDIOutService.SynthesizerStart(*PreparedSoundFont);
    }
    std::promise<std::vector<TSystemPortName>> Listed;
    PreparedSystemPorts = Listed.get_future();
    SoundWorker = std::thread(PrepareOnWorker, std::move(Listed), std::move(StartSynthesizer));
}

void LinuxMIDIOutServiceStart()
{
    PrepareSoundSystems();
    std::vector<TSystemPortName> SystemPorts;
    try {
        SystemPorts = PreparedSystemPorts.valid() ? PreparedSystemPorts.get() : ListSystemPorts();
    } catch (const std::exception&) {
        // A listing that failed offers no system port, as an unreachable system does.
    }
    std::string SoundFont = PreparedSoundFont ? *PreparedSoundFont : FindSoundFont(SettingsFolder());
    PreparedSoundFont.reset();
    LinuxMIDIOutService.Enumerate(std::move(SoundFont), std::move(SystemPorts));
    SetMIDIOutService(&LinuxMIDIOutService);
}

void LinuxMIDIOutServiceStop()
{
    if (SoundWorker.joinable())
        SoundWorker.join();
    LinuxMIDIOutService.Clear();
    if (&MIDIOutService() == &LinuxMIDIOutService)
        SetMIDIOutService(nullptr);
}

void SystemMIDIOutServicePrepare(int32_t StoredPosition)
{
    LinuxMIDIOutServicePrepare(StoredPosition);
}

void SystemMIDIOutServiceStart()
{
    LinuxMIDIOutServiceStart();
}

void SystemMIDIOutServiceStop()
{
    LinuxMIDIOutServiceStop();
}
