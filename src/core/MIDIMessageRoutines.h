#pragma once

#include <cstdint>

// The four MIDI channel messages the program sends, packed as a short
// message: status in bits 0..7, first data byte in 8..15, second in 16..23.
// Channels are 1..16; every argument is clamped, never rejected.
uint32_t AllNotesOffMessage(int32_t Channel);
uint32_t NoteOnMessage(int32_t Channel, int32_t Note, int32_t Velocity);
uint32_t NoteOffMessage(int32_t Channel, int32_t Note, int32_t Velocity);
uint32_t ProgramChangeMessage(int32_t Channel, int32_t Program);
