#pragma once

#include <cstdint>
#include <span>

#include "midi/MIDIOutService.h"

// Windows' own MIDI output service (WinMM). Each operation is the WinMM call
// of that name, its result passed on unchanged; the devices are those that
// Windows offers, its own General MIDI synthesizer among them.
class TWindowsMIDIOutService final : public TMIDIOutService {
public:
    uint32_t GetNumDevs() override;
    uint32_t GetDevCaps(uint32_t DeviceID, TMIDIOutCaps& Caps) override;
    uint32_t Open(HMIDIOUT& Handle, int32_t DeviceID) override;
    uint32_t ShortMsg(HMIDIOUT Handle, uint32_t Message) override;
    uint32_t Close(HMIDIOUT Handle) override;
};

extern TWindowsMIDIOutService WindowsMIDIOutService;

// The product name of a capability record as the program holds it: Field is
// text in the Windows code page CodePage that ends at its first zero byte or
// fills all 32 bytes; the result is its UTF-8, cut to the whole characters
// that fit the same 32 bytes.
TMIDIOutCaps ProductNameCaps(std::span<const char, 32> Field, unsigned CodePage);
