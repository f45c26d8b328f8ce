#include "midi/MIDIDevicesRoutines.h"

#include <algorithm>
#include <cstring>

#include "core/MIDIMessageRoutines.h"
#include "support/ErrorRoutines.h"
#include "support/RangeRoutines.h"

TMIDIDevices MIDIDevices;

const char* OpenErrorText(uint32_t Result)
{
    switch (Result) {
    case MMSYSERR_BADDEVICEID: return "The specified device identifier is out of range.";
    case MMSYSERR_ALLOCATED: return "The specified resource is already allocated.";
    case MMSYSERR_NOMEM: return "The system is unable to allocate or lock memory.";
    case MMSYSERR_INVALPARAM: return "The specified pointer or structure is invalid.";
    case MIDIERR_NODEVICE: return "No MIDI port was found. This error occurs only when the mapper is opened.";
    default: return "Open Function. Undefined MIDI Error.";
    }
}

namespace {

const char* SendErrorText(uint32_t Result)
{
    switch (Result) {
    case MMSYSERR_INVALHANDLE: return "The specified device handle is invalid.";
    case MIDIERR_NOTREADY: return "The hardware is busy with other data.";
    case MIDIERR_BADOPENMODE: return "The application sent a message without a status byte to a stream handle.";
    default: return "Undefined midiOutShortMsg error.";
    }
}

// Code 7 reads here (and for the capabilities) as the mapper's text rather
// than as an open's "unable to allocate or lock memory": kept on purpose.
const char* CloseErrorText(uint32_t Result)
{
    switch (Result) {
    case MMSYSERR_INVALHANDLE: return "The specified device handle is invalid.";
    case MMSYSERR_NOMEM: return "The system is unable to load mapper string description.";
    case MIDIERR_STILLPLAYING: return "Buffers are still in the queue.";
    default: return "Close Function. Undefined MIDI Error.";
    }
}

// Codes without a text leave the device out silently.
const char* CapsErrorText(uint32_t Result)
{
    switch (Result) {
    case MMSYSERR_BADDEVICEID: return "The specified device identifier is out of range.";
    case MMSYSERR_NODRIVER: return "The driver is not installed.";
    case MMSYSERR_NOMEM: return "The system is unable to load mapper string description.";
    case MMSYSERR_INVALPARAM: return "The specified pointer or structure is invalid.";
    default: return nullptr;
    }
}

// "opended" is the message's own spelling, kept on purpose: do not correct it.
constexpr const char* NotOpenText = "Device is not opended.";

// The mapper, then every device whose capabilities can be read, showing the
// text of a failure when ShowFailures.
std::vector<TMIDIDevice> ListedDevices(bool ShowFailures)
{
    std::vector<TMIDIDevice> Devices{TMIDIDevice{0, MapperName, MIDI_MAPPER}};
    const uint32_t Count = MIDIOutService().GetNumDevs();
    for (uint32_t DeviceID = 0; DeviceID < Count; ++DeviceID) {
        TMIDIOutCaps Caps;
        const uint32_t Result = MIDIOutService().GetDevCaps(DeviceID, Caps);
        if (Result != MMSYSERR_NOERROR) {
            if (const char* Text = CapsErrorText(Result); Text != nullptr && ShowFailures)
                ShowError(Text);
            continue;
        }
        const size_t Length = strnlen(Caps.szPname, sizeof Caps.szPname);
        Devices.push_back(TMIDIDevice{0, std::string(Caps.szPname, Length), static_cast<int32_t>(DeviceID)});
    }
    return Devices;
}

}

void TMIDIDevice::Open(int32_t Channel, int32_t Program)
{
    const uint32_t Result = Listed ? MIDIOutService().Open(Handle, ID) : MMSYSERR_BADDEVICEID;
    if (Result != MMSYSERR_NOERROR) {
        ShowError(OpenErrorText(Result));
        return;
    }
    SendProgramChange(Channel, Program);
}

void TMIDIDevice::Close()
{
    if (Handle == 0)
        return;
    const uint32_t Result = MIDIOutService().Close(Handle);
    if (Result != MMSYSERR_NOERROR) {
        ShowError(CloseErrorText(Result));
        return;
    }
    Handle = 0;
}

void TMIDIDevice::SendShortMessage(uint32_t Message)
{
    if (Handle == 0) {
        ShowError(NotOpenText);
        return;
    }
    const uint32_t Result = MIDIOutService().ShortMsg(Handle, Message);
    if (Result != MMSYSERR_NOERROR)
        ShowError(SendErrorText(Result));
}

void TMIDIDevice::SendNoteOn(int32_t Channel, int32_t Note, int32_t Velocity)
{
    SendShortMessage(NoteOnMessage(Channel, Note, Velocity));
}

void TMIDIDevice::SendNoteOff(int32_t Channel, int32_t Note, int32_t Velocity)
{
    SendShortMessage(NoteOffMessage(Channel, Note, Velocity));
}

void TMIDIDevice::SendProgramChange(int32_t Channel, int32_t Program)
{
    SendShortMessage(ProgramChangeMessage(Channel, Program));
}

void TMIDIDevice::SendAllNotesOff()
{
    if (Handle == 0)
        return;
    for (int32_t Channel = ChannelRange.Low; Channel <= ChannelRange.High; ++Channel)
        SendShortMessage(AllNotesOffMessage(Channel));
}

void TMIDIDevice::Clear()
{
    Handle = 0;
    Name.clear();
    ID = MIDI_MAPPER;
    Listed = true;
}

void TMIDIDevices::Enumerate()
{
    for (TMIDIDevice& Device : ListedDevices(true))
        Items.push_back(std::move(Device));
}

std::vector<int32_t> TMIDIDevices::Refresh()
{
    MIDIOutService().Refresh();
    std::vector<TMIDIDevice> Fresh = ListedDevices(false);
    const size_t ListedEntries = Fresh.size();
    std::vector<int32_t> Returned;
    for (TMIDIDevice& Old : Items) {
        if (Old.Handle == 0)
            continue;
        const auto Same = std::find_if(Fresh.begin(), Fresh.begin() + static_cast<ptrdiff_t>(ListedEntries),
            [&Old](const TMIDIDevice& Listed) { return Listed.Handle == 0 && Listed.Name == Old.Name; });
        if (Same == Fresh.begin() + static_cast<ptrdiff_t>(ListedEntries)) {
            Old.Listed = false;
            Fresh.push_back(std::move(Old));
            continue;
        }
        Same->Handle = Old.Handle;
        if (!Old.Listed)
            Returned.push_back(static_cast<int32_t>(Same - Fresh.begin()));
    }
    Items = std::move(Fresh);
    return Returned;
}

int32_t TMIDIDevices::PositionOf(const std::string& Name) const
{
    const int32_t Count = ListedCount();
    for (int32_t Position = 0; Position < Count; ++Position)
        if (Items[static_cast<size_t>(Position)].Name == Name)
            return Position;
    for (int32_t Position = 0; Position < Count; ++Position)
        if (MIDIOutService().IsSameDevice(Name, Items[static_cast<size_t>(Position)].Name))
            return Position;
    return -1;
}

int32_t TMIDIDevices::ListedCount() const
{
    return static_cast<int32_t>(
        std::count_if(Items.begin(), Items.end(), [](const TMIDIDevice& Device) { return Device.Listed; }));
}

void TMIDIDevices::SendAllNotesOff()
{
    for (TMIDIDevice& Device : Items)
        if (Device.Listed)
            Device.SendAllNotesOff();
}

void TMIDIDevices::CloseAll()
{
    for (TMIDIDevice& Device : Items)
        Device.Close();
}

void TMIDIDevices::Clear()
{
    if (Items.empty())
        return;
    CloseAll();
    for (TMIDIDevice& Device : Items)
        Device.Clear();
    Items.clear();
}

bool TMIDIDevices::HasPosition(int32_t Position) const
{
    return Position >= 0 && static_cast<size_t>(Position) < Items.size();
}

void MIDIDevicesStart()
{
    MIDIDevices.Enumerate();
}

void MIDIDevicesStop()
{
    MIDIDevices.Clear();
    MIDIDevices.Items.shrink_to_fit();
}
