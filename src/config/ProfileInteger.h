#pragma once

#include <cstdint>
#include <string_view>

// Reads Text as the integer form of a profile file: hexadecimal after a
// leading 0x or 0X (when more than two characters) or $, decimal otherwise;
// false, with Value untouched, for any other text.
bool TryProfileInteger(std::string_view Text, int32_t& Value);
