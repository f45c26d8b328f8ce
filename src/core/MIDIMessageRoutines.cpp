#include "core/MIDIMessageRoutines.h"

#include "support/RangeRoutines.h"

namespace {

uint32_t Pack(int32_t Status, int32_t Channel, int32_t Data1, int32_t Data2)
{
    const int32_t WireChannel = Clamp(Channel, 1, 16) - 1;
    return static_cast<uint32_t>(Status + WireChannel) +
           256u * static_cast<uint32_t>(Clamp(Data1, 0, 127)) +
           65536u * static_cast<uint32_t>(Clamp(Data2, 0, 127));
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
