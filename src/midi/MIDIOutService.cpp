#include "midi/MIDIOutService.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

// A system without MIDI output devices.
class TNoDeviceService final : public TMIDIOutService {
public:
    uint32_t GetNumDevs() override { return 0; }
    uint32_t GetDevCaps(uint32_t, TMIDIOutCaps&) override { return MMSYSERR_BADDEVICEID; }
    uint32_t Open(HMIDIOUT&, int32_t DeviceID) override
    {
        return DeviceID == MIDI_MAPPER ? MIDIERR_NODEVICE : MMSYSERR_BADDEVICEID;
    }
    uint32_t ShortMsg(HMIDIOUT, uint32_t) override { return MMSYSERR_INVALHANDLE; }
    uint32_t Close(HMIDIOUT) override { return MMSYSERR_INVALHANDLE; }
};

TNoDeviceService NoDeviceService;
TMIDIOutService* InstalledService = nullptr;

}

TMIDIOutCaps CapsNamed(std::string_view Name)
{
    TMIDIOutCaps Caps;
    size_t Length = std::min(Name.size(), sizeof Caps.szPname);
    // A byte 10xxxxxx continues the character before it.
    while (Length < Name.size() && Length > 0 && (static_cast<unsigned char>(Name[Length]) & 0xC0) == 0x80)
        --Length;
    std::memcpy(Caps.szPname, Name.data(), Length);
    return Caps;
}

TMIDIOutService& MIDIOutService()
{
    return InstalledService != nullptr ? *InstalledService : NoDeviceService;
}

TMIDIOutService* SetMIDIOutService(TMIDIOutService* Service)
{
    return std::exchange(InstalledService, Service);
}
