#pragma once

#include <cstdint>

// True exactly when Low <= Value <= High.
bool InRange(int32_t Value, int32_t Low, int32_t High);

// Bounds Value to Low..High, testing the upper bound first, so that with
// Low > High a value above High gives High and any other gives Low.
int32_t Clamp(int32_t Value, int32_t Low, int32_t High);

// A range of integers, both bounds included.
struct TRange {
    int32_t Low;
    int32_t High;
};

inline bool InRange(int32_t Value, TRange Range) { return InRange(Value, Range.Low, Range.High); }
inline int32_t Clamp(int32_t Value, TRange Range) { return Clamp(Value, Range.Low, Range.High); }

// A MIDI data byte: a note number, a velocity, a program.
inline constexpr TRange MIDIDataRange{0, 127};
// A MIDI channel as the program shows and stores it; the wire carries one less.
inline constexpr TRange ChannelRange{1, 16};
