#include "config/ProfileInteger.h"

namespace {

bool HexDigit(char Byte, uint32_t& Digit)
{
    if (Byte >= '0' && Byte <= '9')
        Digit = static_cast<uint32_t>(Byte - '0');
    else if (Byte >= 'a' && Byte <= 'f')
        Digit = static_cast<uint32_t>(Byte - 'a' + 10);
    else if (Byte >= 'A' && Byte <= 'F')
        Digit = static_cast<uint32_t>(Byte - 'A' + 10);
    else
        return false;
    return true;
}

// Hexadecimal digits as a 32-bit pattern (so FFFFFFFF is -1).
bool TryHexadecimal(std::string_view Digits, uint32_t& Pattern)
{
    if (Digits.empty())
        return false;
    uint64_t Value = 0;
    for (char Byte : Digits) {
        uint32_t Digit;
        if (!HexDigit(Byte, Digit))
            return false;
        Value = Value * 16 + Digit;
        if (Value > UINT32_MAX)
            return false;
    }
    Pattern = static_cast<uint32_t>(Value);
    return true;
}

}

bool TryProfileInteger(std::string_view Text, int32_t& Value)
{
    uint32_t Pattern = 0;
    if (Text.size() > 2 && Text[0] == '0' && (Text[1] == 'x' || Text[1] == 'X')) {
        if (!TryHexadecimal(Text.substr(2), Pattern))
            return false;
        Value = static_cast<int32_t>(Pattern);
        return true;
    }
    const bool Negative = !Text.empty() && Text.front() == '-';
    if (!Text.empty() && (Text.front() == '-' || Text.front() == '+'))
        Text.remove_prefix(1);
    if (!Text.empty() && Text.front() == '$') {
        if (!TryHexadecimal(Text.substr(1), Pattern))
            return false;
    } else {
        if (Text.empty())
            return false;
        uint64_t Magnitude = 0;
        for (char Byte : Text) {
            if (Byte < '0' || Byte > '9')
                return false;
            Magnitude = Magnitude * 10 + static_cast<uint64_t>(Byte - '0');
            if (Magnitude > uint64_t{INT32_MAX} + (Negative ? 1 : 0))
                return false;
        }
        Pattern = static_cast<uint32_t>(Magnitude);
    }
    Value = static_cast<int32_t>(Negative ? 0u - Pattern : Pattern);
    return true;
}
