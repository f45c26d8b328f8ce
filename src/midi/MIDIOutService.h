#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// The operating system's MIDI output service, as the output ports and the
// device list use it. Every operation answers 0 for success or one of the
// result codes below; none ever throws.

// An open output port; 0 means not open.
using HMIDIOUT = uintptr_t;

// The identifier that opens the system's MIDI mapper.
inline constexpr int32_t MIDI_MAPPER = -1;

inline constexpr uint32_t MMSYSERR_NOERROR = 0;
// A failure no other code describes: every operation shows its "undefined" text.
inline constexpr uint32_t MMSYSERR_ERROR = 1;
inline constexpr uint32_t MMSYSERR_BADDEVICEID = 2;
inline constexpr uint32_t MMSYSERR_ALLOCATED = 4;
inline constexpr uint32_t MMSYSERR_INVALHANDLE = 5;
inline constexpr uint32_t MMSYSERR_NODRIVER = 6;
inline constexpr uint32_t MMSYSERR_NOMEM = 7;
inline constexpr uint32_t MMSYSERR_INVALPARAM = 11;
inline constexpr uint32_t MIDIERR_STILLPLAYING = 65;
inline constexpr uint32_t MIDIERR_NOTREADY = 67;
inline constexpr uint32_t MIDIERR_NODEVICE = 68;
inline constexpr uint32_t MIDIERR_BADOPENMODE = 70;

// What a capability query reports of a device: its product name, a fixed
// 32-byte field that ends at its first zero byte or fills all 32 bytes.
struct TMIDIOutCaps {
    char szPname[32] = {};
};

// The capabilities of a device named Name: as much of the name as fills the
// 32 bytes without cutting a UTF-8 character in two.
TMIDIOutCaps CapsNamed(std::string_view Name);

class TMIDIOutService {
public:
    virtual ~TMIDIOutService() = default;

    // The number n of output devices; their identifiers are 0..n-1.
    virtual uint32_t GetNumDevs() = 0;
    virtual uint32_t GetDevCaps(uint32_t DeviceID, TMIDIOutCaps& Caps) = 0;
    // Opens the device DeviceID (MIDI_MAPPER for the mapper) and stores its
    // handle on success; leaves Handle alone on failure.
    virtual uint32_t Open(HMIDIOUT& Handle, int32_t DeviceID) = 0;
    virtual uint32_t ShortMsg(HMIDIOUT Handle, uint32_t Message) = 0;
    virtual uint32_t Close(HMIDIOUT Handle) = 0;

    // Reads the system's devices again: afterwards there may be others, and
    // a device may have another identifier. What is open stays open. (WinMM
    // answers with the system's devices of the moment: it needs nothing.)
    virtual void Refresh() {}
    // Whether the device listed as Listed is the one that was chosen as
    // Stored: the same name, unless the service knows names that change.
    virtual bool IsSameDevice(const std::string& Stored, const std::string& Listed) const { return Stored == Listed; }
    // Changed runs, on any thread, whenever the system's devices may have
    // changed; an empty one stops it. A service that cannot tell never runs it.
    virtual void WatchDevices(std::function<void()> Changed) { (void)Changed; }
};

// The service every port and the device list talk to. Until the program
// installs another, it is a service without devices whose mapper answers
// MIDIERR_NODEVICE.
TMIDIOutService& MIDIOutService();

// Installs the service (not owned); null restores the service without
// devices. Returns the one it replaced.
TMIDIOutService* SetMIDIOutService(TMIDIOutService* Service);

// The operating system's own service, which the program installs: WinMM on
// Windows, the Linux desktop's service elsewhere. Prepare starts, at most
// once and before Start, what may run alongside the program's other start-up
// work, knowing the device the program will open first: its stored position
// in the device list and its stored name (empty when none was kept); Start
// installs the service; Stop closes what is still open and restores the
// service without devices.
void SystemMIDIOutServicePrepare(int32_t StoredPosition, const std::string& StoredName);
void SystemMIDIOutServiceStart();
void SystemMIDIOutServiceStop();
