#pragma once

#include <cstdint>
#include <vector>

// A growable array of signed 32-bit integers whose order is significant.
using TArrayInteger = std::vector<int32_t>;

// Removes the element at Position, keeping the order of the rest;
// a position outside the array is ignored.
void DeleteAt(TArrayInteger& Array, int32_t Position);
