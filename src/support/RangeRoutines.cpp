#include "support/RangeRoutines.h"

bool InRange(int32_t Value, int32_t Low, int32_t High)
{
    return Low <= Value && Value <= High;
}

int32_t Clamp(int32_t Value, int32_t Low, int32_t High)
{
    if (Value > High)
        return High;
    if (Value < Low)
        return Low;
    return Value;
}
