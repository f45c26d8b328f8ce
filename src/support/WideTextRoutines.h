#pragma once

#include <string>
#include <string_view>

// Text crosses into Windows' wide-character calls here: inside, the program's
// text (file names included) is UTF-8. Windows only.

// UTF-8 as UTF-16; a byte that is not valid UTF-8 becomes U+FFFD.
std::wstring WideText(std::string_view Utf8);

// UTF-16 as UTF-8; an unpaired surrogate becomes U+FFFD.
std::string Utf8Text(std::wstring_view Wide);

// Text in the Windows code page CodePage (an ANSI one such as 1252, or
// CP_ACP, 0, for the system's) as UTF-8.
std::string Utf8OfCodePage(std::string_view Text, unsigned CodePage);
