#include "support/WideTextRoutines.h"

#include <windows.h>

#include <climits>

namespace {

std::wstring WideOfCodePage(std::string_view Text, unsigned CodePage)
{
    if (Text.empty() || Text.size() > INT_MAX)
        return {};
    const int Size = static_cast<int>(Text.size());
    const int Length = MultiByteToWideChar(CodePage, 0, Text.data(), Size, nullptr, 0);
    std::wstring Wide(static_cast<size_t>(Length > 0 ? Length : 0), L'\0');
    if (Length > 0)
        MultiByteToWideChar(CodePage, 0, Text.data(), Size, Wide.data(), Length);
    return Wide;
}

}

std::wstring WideText(std::string_view Utf8)
{
    return WideOfCodePage(Utf8, CP_UTF8);
}

std::string Utf8Text(std::wstring_view Wide)
{
    if (Wide.empty() || Wide.size() > INT_MAX)
        return {};
    const int Size = static_cast<int>(Wide.size());
    const int Length = WideCharToMultiByte(CP_UTF8, 0, Wide.data(), Size, nullptr, 0, nullptr, nullptr);
    std::string Text(static_cast<size_t>(Length > 0 ? Length : 0), '\0');
    if (Length > 0)
        WideCharToMultiByte(CP_UTF8, 0, Wide.data(), Size, Text.data(), Length, nullptr, nullptr);
    return Text;
}

std::string Utf8OfCodePage(std::string_view Text, unsigned CodePage)
{
    return Utf8Text(WideOfCodePage(Text, CodePage));
}
