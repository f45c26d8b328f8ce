#include "core/MIDIMessageRoutines.h"

#include "support/RangeRoutines.h"

namespace {

uint32_t Pack(int32_t Status, int32_t Channel, int32_t Data1, int32_t Data2)
{
    const int32_t WireChannel = Clamp(Channel, ChannelRange) - 1;
    return static_cast<uint32_t>(Status + WireChannel) +
           256u * static_cast<uint32_t>(Clamp(Data1, MIDIDataRange)) +
           65536u * static_cast<uint32_t>(Clamp(Data2, MIDIDataRange));
}

constexpr int32_t AllNotesOffController = 123;

}

uint32_t AllNotesOffMessage(int32_t Channel)
{
    return Pack(0xB0, Channel, AllNotesOffController, 0);
}

uint32_t NoteOnMessage(int32_t Channel, int32_t Note, int32_t Velocity)
{
    return Pack(0x90, Channel, Note, Velocity);
}

uint32_t NoteOffMessage(int32_t Channel, int32_t Note, int32_t Velocity)
{
    return Pack(0x80, Channel, Note, Velocity);
}

uint32_t ProgramChangeMessage(int32_t Channel, int32_t Program)
{
    return Pack(0xC0, Channel, Program, 0);
}

TShortMessageBytes ShortMessageBytes(uint32_t Message)
{
    TShortMessageBytes Result;
    Result.Bytes[0] = static_cast<uint8_t>(Message & 0xFF);
    Result.Bytes[1] = static_cast<uint8_t>((Message >> 8) & 0x7F);
    Result.Bytes[2] = static_cast<uint8_t>((Message >> 16) & 0x7F);
    const uint8_t Status = Result.Bytes[0];
    if (Status < 0x80 || Status == 0xF0 || Status == 0xF7)
        Result.Count = 0;
    else if ((Status & 0xE0) == 0xC0 || Status == 0xF1 || Status == 0xF3)
        Result.Count = 2;
    else if (Status >= 0xF4)
        Result.Count = 1;
    else
        Result.Count = 3;
    return Result;
}
