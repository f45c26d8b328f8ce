#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "midi/MIDIOutService.h"

// A MIDI service for tests: it reports any list of devices, fails any call
// with any code it is told, and records every call in order. While it lives
// it is the installed service.
class TRecordingMIDIOutService final : public TMIDIOutService {
public:
    enum class TCallKind { GetNumDevs, GetDevCaps, Open, ShortMsg, Close };

    struct TCall {
        TCallKind Kind;
        int32_t DeviceID;   // the device the call concerns (the mapper is -1)
        HMIDIOUT Handle;    // 0 for calls that have none
        uint32_t Message;   // ShortMsg only
        uint32_t Result;
    };

    // A message that the service accepted, with the device it reached.
    struct TSent {
        int32_t DeviceID;
        HMIDIOUT Handle;
        uint32_t Message;
        std::string Name;
    };

    TRecordingMIDIOutService();
    ~TRecordingMIDIOutService() override;

    // Devices, by their product-name field (copied into the 32 bytes, cut
    // there, not necessarily zero-terminated). Changing them is the system's
    // devices changing: an open device whose name goes fails each send with
    // MMSYSERR_INVALHANDLE, as a port that went away does.
    std::vector<std::string> DeviceNames;
    // Capability query results per device identifier (default 0).
    std::map<uint32_t, uint32_t> DevCapsResults;

    // Results handed out in order for the next calls; 0 once a queue is empty.
    std::deque<uint32_t> OpenResults;
    std::deque<uint32_t> ShortMsgResults;
    std::deque<uint32_t> CloseResults;
    // When set, every ShortMsg call answers this code.
    uint32_t FailAllSendsWith = 0;

    std::vector<TCall> Calls;
    std::vector<TSent> Sent;

    uint32_t GetNumDevs() override;
    uint32_t GetDevCaps(uint32_t DeviceID, TMIDIOutCaps& Caps) override;
    uint32_t Open(HMIDIOUT& Handle, int32_t DeviceID) override;
    uint32_t ShortMsg(HMIDIOUT Handle, uint32_t Message) override;
    uint32_t Close(HMIDIOUT Handle) override;

    // The calls of one kind, in order.
    std::vector<TCall> CallsOf(TCallKind Kind) const;
    // The accepted messages, in order, as "90 3C 64" texts (bytes the wire carries).
    std::vector<std::string> SentTexts() const;
    // Accepted messages to one device, by its identifier when it opened, or
    // by its name (the mapper's: MapperName).
    std::vector<uint32_t> SentTo(int32_t DeviceID) const;
    std::vector<std::string> SentTo(const std::string& Name) const;
    // The devices currently open, by identifier.
    std::vector<int32_t> OpenDevices() const;
    void ClearRecords();

private:
    TMIDIOutService* Replaced;
    HMIDIOUT NextHandle = 0x100;
    std::map<HMIDIOUT, int32_t> OpenHandles;
    std::map<HMIDIOUT, std::string> OpenNames;
};

// The bytes of a short message as the wire carries them (as many as its
// status byte calls for), upper-case hexadecimal.
std::string ShortMessageText(uint32_t Message);
