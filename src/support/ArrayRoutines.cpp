#include "support/ArrayRoutines.h"

#include <cstddef>

void DeleteAt(TArrayInteger& Array, int32_t Position)
{
    if (Position < 0 || static_cast<size_t>(Position) >= Array.size())
        return;
    Array.erase(Array.begin() + Position);
}
