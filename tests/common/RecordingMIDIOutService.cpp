#include "RecordingMIDIOutService.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "core/MIDIMessageRoutines.h"
#include "midi/MIDIDevicesRoutines.h"

namespace {

uint32_t NextResult(std::deque<uint32_t>& Results)
{
    if (Results.empty())
        return MMSYSERR_NOERROR;
    const uint32_t Result = Results.front();
    Results.pop_front();
    return Result;
}

}

std::string ShortMessageText(uint32_t Message)
{
    const TShortMessageBytes Wire = ShortMessageBytes(Message);
    std::string Text;
    for (size_t Index = 0; Index < Wire.Count; ++Index) {
        char Byte[4];
        std::snprintf(Byte, sizeof Byte, Index == 0 ? "%02X" : " %02X", Wire.Bytes[Index]);
        Text += Byte;
    }
    return Text;
}

TRecordingMIDIOutService::TRecordingMIDIOutService()
    : Replaced(SetMIDIOutService(this))
{
}

TRecordingMIDIOutService::~TRecordingMIDIOutService()
{
    SetMIDIOutService(Replaced);
}

uint32_t TRecordingMIDIOutService::GetNumDevs()
{
    Calls.push_back({TCallKind::GetNumDevs, -1, 0, 0, 0});
    return static_cast<uint32_t>(DeviceNames.size());
}

uint32_t TRecordingMIDIOutService::GetDevCaps(uint32_t DeviceID, TMIDIOutCaps& Caps)
{
    uint32_t Result = DeviceID < DeviceNames.size() ? MMSYSERR_NOERROR : MMSYSERR_BADDEVICEID;
    if (auto Found = DevCapsResults.find(DeviceID); Found != DevCapsResults.end())
        Result = Found->second;
    if (Result == MMSYSERR_NOERROR) {
        std::memset(Caps.szPname, 0, sizeof Caps.szPname);
        const std::string& Name = DeviceNames[DeviceID];
        std::memcpy(Caps.szPname, Name.data(), std::min(Name.size(), sizeof Caps.szPname));
    }
    Calls.push_back({TCallKind::GetDevCaps, static_cast<int32_t>(DeviceID), 0, 0, Result});
    return Result;
}

uint32_t TRecordingMIDIOutService::Open(HMIDIOUT& Handle, int32_t DeviceID)
{
    uint32_t Result = NextResult(OpenResults);
    if (Result == MMSYSERR_NOERROR && DeviceID != MIDI_MAPPER &&
        (DeviceID < 0 || static_cast<size_t>(DeviceID) >= DeviceNames.size()))
        Result = MMSYSERR_BADDEVICEID;
    HMIDIOUT Opened = 0;
    if (Result == MMSYSERR_NOERROR) {
        Opened = NextHandle++;
        OpenHandles[Opened] = DeviceID;
        OpenNames[Opened] = DeviceID == MIDI_MAPPER ? MapperName : DeviceNames[static_cast<size_t>(DeviceID)];
        Handle = Opened;
    }
    Calls.push_back({TCallKind::Open, DeviceID, Opened, 0, Result});
    return Result;
}

uint32_t TRecordingMIDIOutService::ShortMsg(HMIDIOUT Handle, uint32_t Message)
{
    const auto Found = OpenHandles.find(Handle);
    const int32_t DeviceID = Found != OpenHandles.end() ? Found->second : -2;
    uint32_t Result = NextResult(ShortMsgResults);
    if (FailAllSendsWith != 0)
        Result = FailAllSendsWith;
    const std::string Name = Found != OpenHandles.end() ? OpenNames[Handle] : std::string();
    const bool Gone = Name != MapperName && std::find(DeviceNames.begin(), DeviceNames.end(), Name) == DeviceNames.end();
    if (Result == MMSYSERR_NOERROR && (Found == OpenHandles.end() || Gone))
        Result = MMSYSERR_INVALHANDLE;
    if (Result == MMSYSERR_NOERROR)
        Sent.push_back({DeviceID, Handle, Message, Name});
    Calls.push_back({TCallKind::ShortMsg, DeviceID, Handle, Message, Result});
    return Result;
}

uint32_t TRecordingMIDIOutService::Close(HMIDIOUT Handle)
{
    const auto Found = OpenHandles.find(Handle);
    const int32_t DeviceID = Found != OpenHandles.end() ? Found->second : -2;
    uint32_t Result = NextResult(CloseResults);
    if (Result == MMSYSERR_NOERROR && Found == OpenHandles.end())
        Result = MMSYSERR_INVALHANDLE;
    if (Result == MMSYSERR_NOERROR) {
        OpenHandles.erase(Found);
        OpenNames.erase(Handle);
    }
    Calls.push_back({TCallKind::Close, DeviceID, Handle, 0, Result});
    return Result;
}

std::vector<TRecordingMIDIOutService::TCall> TRecordingMIDIOutService::CallsOf(TCallKind Kind) const
{
    std::vector<TCall> Selected;
    std::copy_if(Calls.begin(), Calls.end(), std::back_inserter(Selected),
                 [Kind](const TCall& Call) { return Call.Kind == Kind; });
    return Selected;
}

std::vector<std::string> TRecordingMIDIOutService::SentTexts() const
{
    std::vector<std::string> Texts;
    for (const TSent& Message : Sent)
        Texts.push_back(ShortMessageText(Message.Message));
    return Texts;
}

std::vector<uint32_t> TRecordingMIDIOutService::SentTo(int32_t DeviceID) const
{
    std::vector<uint32_t> Messages;
    for (const TSent& Message : Sent)
        if (Message.DeviceID == DeviceID)
            Messages.push_back(Message.Message);
    return Messages;
}

std::vector<std::string> TRecordingMIDIOutService::SentTo(const std::string& Name) const
{
    std::vector<std::string> Messages;
    for (const TSent& Message : Sent)
        if (Message.Name == Name)
            Messages.push_back(ShortMessageText(Message.Message));
    return Messages;
}

std::vector<int32_t> TRecordingMIDIOutService::OpenDevices() const
{
    std::vector<int32_t> Devices;
    for (const auto& [Handle, DeviceID] : OpenHandles)
        Devices.push_back(DeviceID);
    return Devices;
}

void TRecordingMIDIOutService::ClearRecords()
{
    Calls.clear();
    Sent.clear();
}
