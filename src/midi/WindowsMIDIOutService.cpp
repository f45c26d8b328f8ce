#include "midi/WindowsMIDIOutService.h"

#include <cstddef>
#include <cstring>
#include <string>

#include "support/WideTextRoutines.h"

// WinMM declares an HMIDIOUT of its own, a pointer, where the program's is
// the service's integer: WinMM's is read under another name.
#define HMIDIOUT WinMMHandle
#include <windows.h>
#include <mmsystem.h>
#undef HMIDIOUT

// The record that the device list reads the product name from.
static_assert(sizeof(MIDIOUTCAPSA) == 52);
static_assert(offsetof(MIDIOUTCAPSA, szPname) == 8);
static_assert(sizeof(MIDIOUTCAPSA::szPname) == sizeof(TMIDIOutCaps::szPname));

TWindowsMIDIOutService WindowsMIDIOutService;

namespace {

WinMMHandle WinMMHandleOf(HMIDIOUT Handle)
{
    return reinterpret_cast<WinMMHandle>(Handle);
}

}

TMIDIOutCaps ProductNameCaps(std::span<const char, 32> Field, unsigned CodePage)
{
    return CapsNamed(Utf8OfCodePage(std::string_view(Field.data(), strnlen(Field.data(), Field.size())), CodePage));
}

uint32_t TWindowsMIDIOutService::GetNumDevs()
{
    return midiOutGetNumDevs();
}

uint32_t TWindowsMIDIOutService::GetDevCaps(uint32_t DeviceID, TMIDIOutCaps& Caps)
{
    MIDIOUTCAPSA Record{};
    const MMRESULT Result = midiOutGetDevCapsA(DeviceID, &Record, sizeof Record);
    if (Result == MMSYSERR_NOERROR)
        Caps = ProductNameCaps(Record.szPname, CP_ACP);
    return Result;
}

uint32_t TWindowsMIDIOutService::Open(HMIDIOUT& Handle, int32_t DeviceID)
{
    WinMMHandle Opened = nullptr;
    // The mapper's -1 reaches WinMM as 0xFFFFFFFF, its MIDI_MAPPER.
    const MMRESULT Result = midiOutOpen(&Opened, static_cast<UINT>(DeviceID), 0, 0, CALLBACK_NULL);
    if (Result == MMSYSERR_NOERROR)
        Handle = reinterpret_cast<HMIDIOUT>(Opened);
    return Result;
}

uint32_t TWindowsMIDIOutService::ShortMsg(HMIDIOUT Handle, uint32_t Message)
{
    return midiOutShortMsg(WinMMHandleOf(Handle), Message);
}

uint32_t TWindowsMIDIOutService::Close(HMIDIOUT Handle)
{
    return midiOutClose(WinMMHandleOf(Handle));
}

// WinMM lists its devices at once: nothing is worth starting early.
void SystemMIDIOutServicePrepare(int32_t, const std::string&) {}

void SystemMIDIOutServiceStart()
{
    SetMIDIOutService(&WindowsMIDIOutService);
}

// The device list has closed every port by the time this runs.
void SystemMIDIOutServiceStop()
{
    if (&MIDIOutService() == &WindowsMIDIOutService)
        SetMIDIOutService(nullptr);
}
