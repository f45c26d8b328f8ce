#pragma once

#include <cstddef>
#include <cstdint>

// The four MIDI channel messages the program sends, packed as a short
// message: status in bits 0..7, first data byte in 8..15, second in 16..23.
// Channels are 1..16; every argument is clamped, never rejected.
uint32_t AllNotesOffMessage(int32_t Channel);
uint32_t NoteOnMessage(int32_t Channel, int32_t Note, int32_t Velocity);
uint32_t NoteOffMessage(int32_t Channel, int32_t Note, int32_t Velocity);
uint32_t ProgramChangeMessage(int32_t Channel, int32_t Program);

// A short message taken apart into the bytes the wire carries: as many as its
// status byte calls for (two for Program Change and Channel Pressure, three
// for the other channel messages). Count is 0 when the lowest byte is not a
// status byte, or is one that cannot travel as a short message (SysEx).
struct TShortMessageBytes {
    uint8_t Bytes[3] = {};
    size_t Count = 0;
};

TShortMessageBytes ShortMessageBytes(uint32_t Message);
