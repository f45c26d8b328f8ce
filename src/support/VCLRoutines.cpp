#include "support/VCLRoutines.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "support/FilePathRoutines.h"

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>

#include "support/WideTextRoutines.h"
#endif

namespace {
TShellOpener ShellOpener;

bool IsSchemeCharacter(char Character)
{
    const auto Byte = static_cast<unsigned char>(Character);
    return std::isalnum(Byte) || Character == '+' || Character == '-' || Character == '.';
}
}

void PutStringAt(TStringList* List, const std::string& Text, int32_t Position)
{
    if (List == nullptr || Position < 0)
        return;
    const auto Index = static_cast<size_t>(Position);
    if (Index >= List->size())
        List->resize(Index + 1);
    (*List)[Index] = Text;
}

bool IsWebAddress(const std::string& Target)
{
    const size_t SchemeEnd = Target.find("://");
    if (SchemeEnd == std::string::npos || SchemeEnd == 0)
        return false;
    if (!std::isalpha(static_cast<unsigned char>(Target.front())))
        return false;
    return std::all_of(Target.begin(), Target.begin() + static_cast<std::ptrdiff_t>(SchemeEnd), IsSchemeCharacter);
}

void ShellOpen(const std::string& Target)
{
    if (ShellOpener)
        ShellOpener(Target);
}

void ShellOpenIn(const std::string& Directory, const std::string& FileName)
{
    if (IsAbsoluteFileName(FileName) || Directory.empty() || IsWebAddress(FileName)) {
        ShellOpen(FileName);
        return;
    }
    ShellOpen(WithTrailingSeparator(Directory) + FileName);
}

TShellOpener SetShellOpener(TShellOpener Opener)
{
    return std::exchange(ShellOpener, std::move(Opener));
}

TShellOpener SystemShellOpener()
{
#ifdef _WIN32
    return [](const std::string& Target) {
        ShellExecuteW(nullptr, L"open", WideText(Target).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    };
#else
    return {};
#endif
}
