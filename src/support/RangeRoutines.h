#pragma once

#include <cstdint>

// True exactly when Low <= Value <= High.
bool InRange(int32_t Value, int32_t Low, int32_t High);

// Bounds Value to Low..High, testing the upper bound first, so that with
// Low > High a value above High gives High and any other gives Low.
int32_t Clamp(int32_t Value, int32_t Low, int32_t High);
