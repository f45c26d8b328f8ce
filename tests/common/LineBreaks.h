#pragma once

#include <string>
#include <string_view>

#include "config/ProfileText.h"

// Text written with "\n" as a profile file that a write creates holds it:
// with CR LF on Windows.
inline std::string InNewProfileLines(std::string_view Text)
{
    std::string Lines;
    for (char Character : Text) {
        if (Character == '\n')
            Lines += NewProfileLineBreak;
        else
            Lines += Character;
    }
    return Lines;
}
