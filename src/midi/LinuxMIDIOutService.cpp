#include "midi/LinuxMIDIOutService.h"

#include <algorithm>
#include <future>
#include <thread>

#include "core/MIDIMessageRoutines.h"
#include "midi/FluidSynthLibrary.h"
#include "midi/MIDIDevicesRoutines.h"
#include "midi/SoundFontRoutines.h"
#include "midi/SoundSystemRoutines.h"
#include "support/ProgramFolderRoutines.h"

TLinuxMIDIOutService LinuxMIDIOutService;

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
    UpdatePorts(std::move(SystemPorts));
}

void TLinuxMIDIOutService::UpdatePorts(std::vector<TSystemPortName> SystemPorts)
{
    std::vector<TDevice> Updated;
    if (!Devices.empty() && !Devices.front().SoundFont.empty())
        Updated.push_back(std::move(Devices.front()));
    for (TSystemPortName& Port : SystemPorts) {
        const auto Known = std::find_if(Devices.begin(), Devices.end(), [&Port](const TDevice& Device) {
            return Device.Connection && Device.Name == Port.Name && Device.Connection->API() == Port.API;
        });
        std::string Name = Port.Name;
        Updated.push_back(Known != Devices.end()
                              ? std::move(*Known)
                              : TDevice{std::move(Name), {}, std::make_shared<TSystemMIDIPort>(std::move(Port))});
    }
    Devices = std::move(Updated);
}

void TLinuxMIDIOutService::Refresh()
{
    WatchJACK();
    UpdatePorts(ListSystemPorts(&ALSALister));
}

bool TLinuxMIDIOutService::IsSameDevice(const std::string& Stored, const std::string& Listed) const
{
    for (const TDevice& Device : Devices)
        if (Device.Name == Listed && Device.Connection)
            return IsSamePort(Device.Connection->API(), Stored, Listed);
    return Stored == Listed;
}

void TLinuxMIDIOutService::WatchDevices(std::function<void()> Changed)
{
    // The watcher goes first: its notification thread ends with it.
    StopWatching();
    DevicesChanged = std::move(Changed);
    WatchJACK();
}

void TLinuxMIDIOutService::WatchJACK()
{
    if (!DevicesChanged)
        return;
    if (OpeningWatcher.valid()) {
        if (OpeningWatcher.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
            return;
        JACKWatcher = OpeningWatcher.get();
    }
    if (JACKWatcher && JACKWatcher->Watching())
        return;
    JACKWatcher.reset();
    OpeningWatcher = std::async(std::launch::async, [Changed = DevicesChanged] {
        // The sound systems' libraries set themselves up on one thread at a time.
        WaitForPreparedSoundSystems();
        return TJACKPortWatcher::Open(Changed);
    });
}

void TLinuxMIDIOutService::StopWatching()
{
    if (OpeningWatcher.valid())
        JACKWatcher = OpeningWatcher.get();
    JACKWatcher.reset();
}

// Every port closes as it goes; the JACK client closes with the last of them.
void TLinuxMIDIOutService::Clear()
{
    StopWatching();
    DevicesChanged = nullptr;
    OpenPorts.clear();
    Devices.clear();
    ALSALister.reset();
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
    Caps = CapsNamed(Devices[DeviceID].Name);
    return MMSYSERR_NOERROR;
}

uint32_t TLinuxMIDIOutService::Open(HMIDIOUT& Handle, int32_t DeviceID)
{
    if (DeviceID == MIDI_MAPPER)
        return Devices.empty() ? MIDIERR_NODEVICE : OpenDevice(Devices.front(), Handle);
    if (DeviceID < 0 || static_cast<size_t>(DeviceID) >= Devices.size())
        return MMSYSERR_BADDEVICEID;
    // Only the mapper answers that no device is there; the synthesizer chosen
    // itself, with no sound output to play into, is a device out of reach.
    const uint32_t Result = OpenDevice(Devices[static_cast<size_t>(DeviceID)], Handle);
    return Result == MIDIERR_NODEVICE ? MMSYSERR_BADDEVICEID : Result;
}

uint32_t TLinuxMIDIOutService::OpenDevice(TDevice& Device, HMIDIOUT& Handle)
{
    try {
        OpenPorts.reserve(OpenPorts.size() + 1);
        TOpenPort Port;
        uint32_t Result;
        std::optional<TStartedSynthesizer> Started = TakePrestarted(Device.SoundFont);
        if (Device.Connection) {
            Port.System = Device.Connection;
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
// Ready once the start-up worker has done all its work.
std::shared_future<void> PreparedWork;
// The SoundFont found before the listing began; the start step uses it too.
std::optional<std::string> PreparedSoundFont;
std::thread SoundWorker;

// Lists the ports, hands the list over, ends the connections that listed,
// then starts the synthesizer if one was readied. One thread does it all in
// turn: the sound systems' libraries set themselves up on first use (ALSA's
// configuration loads PulseAudio's plug-in, PulseAudio its translations), and
// two threads doing so at once can each wait on a lock the other holds.
void PrepareOnWorker(std::promise<std::vector<TSystemPortName>> Listed,
                     std::packaged_task<void()> StartSynthesizer, std::promise<void> Done)
{
    {
        std::unique_ptr<RtMidiOut> ALSALister;
        try {
            Listed.set_value(ListSystemPorts(&ALSALister));
        } catch (...) {
            Listed.set_exception(std::current_exception());
        }
    }
    if (StartSynthesizer.valid())
        StartSynthesizer();
    Done.set_value();
}

// Whether the stored device opens the built-in synthesizer, the service's
// first device: by name, the mapper (which opens it) or the synthesizer; by
// position, 1 is that device, the mapper at 0 opens it, and a position below
// 0 names no device, so the window falls back to the mapper. Any other name
// or position is taken for a system port.
bool OpensSynthesizer(int32_t StoredPosition, const std::string& StoredName)
{
    if (!StoredName.empty())
        return StoredName == MapperName || StoredName == SynthesizerName;
    return StoredPosition <= 1;
}

}

void LinuxMIDIOutServicePrepare(int32_t StoredPosition, const std::string& StoredName)
{
    PrepareSoundSystems();
    PreparedSoundFont = FindSoundFont(SettingsFolder());
    std::packaged_task<void()> StartSynthesizer;
    if (!PreparedSoundFont->empty() && OpensSynthesizer(StoredPosition, StoredName)) {
        // Its libraries load here, before the worker starts: libraries that
        // set themselves up on two threads at once can deadlock.
        FluidSynthLibrary();
        StartSynthesizer = LinuxMIDIOutService.SynthesizerStart(*PreparedSoundFont);
    }
    std::promise<std::vector<TSystemPortName>> Listed;
    PreparedSystemPorts = Listed.get_future();
    std::promise<void> Done;
    PreparedWork = Done.get_future().share();
    SoundWorker = std::thread(PrepareOnWorker, std::move(Listed), std::move(StartSynthesizer), std::move(Done));
}

void WaitForPreparedSoundSystems()
{
    if (const std::shared_future<void> Work = PreparedWork; Work.valid())
        Work.wait();
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
    PreparedWork = {};
    if (&MIDIOutService() == &LinuxMIDIOutService)
        SetMIDIOutService(nullptr);
}

void SystemMIDIOutServicePrepare(int32_t StoredPosition, const std::string& StoredName)
{
    LinuxMIDIOutServicePrepare(StoredPosition, StoredName);
}

void SystemMIDIOutServiceStart()
{
    LinuxMIDIOutServiceStart();
}

void SystemMIDIOutServiceStop()
{
    LinuxMIDIOutServiceStop();
}
