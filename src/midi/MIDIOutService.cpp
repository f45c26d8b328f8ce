#include "midi/MIDIOutService.h"

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

TMIDIOutService& MIDIOutService()
{
    return InstalledService != nullptr ? *InstalledService : NoDeviceService;
}

TMIDIOutService* SetMIDIOutService(TMIDIOutService* Service)
{
    return std::exchange(InstalledService, Service);
}
