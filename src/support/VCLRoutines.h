#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A list of 8-bit text lines.
using TStringList = std::vector<std::string>;

// Stores Text as the line at Position, appending empty lines first where the
// list is too short. An absent list (null) is left alone.
void PutStringAt(TStringList* List, const std::string& Text, int32_t Position);
