#include "support/VCLRoutines.h"

#include <algorithm>
#include <cctype>
#include <utility>

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

#ifdef _WIN32
bool IsSeparator(char Character)
{
    return Character == '/' || Character == '\\';
}

// Rooted ("\\notes.txt", "\\\\server\\share\\x") or with a drive ("C:x", "C:\\x").
bool IsAbsolute(const std::string& FileName)
{
    const bool HasDrive = FileName.size() >= 2 && std::isalpha(static_cast<unsigned char>(FileName[0])) &&
        FileName[1] == ':';
    return HasDrive || (!FileName.empty() && IsSeparator(FileName.front()));
}

constexpr char Separator = '\\';
#else
bool IsSeparator(char Character)
{
    return Character == '/';
}

bool IsAbsolute(const std::string& FileName)
{
    return FileName.starts_with('/');
}

constexpr char Separator = '/';
#endif
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
    if (IsAbsolute(FileName) || Directory.empty() || IsWebAddress(FileName)) {
        ShellOpen(FileName);
        return;
    }
    // A directory that uses slashes is joined with one.
    const char Joint = Directory.find('\\') == std::string::npos ? '/' : Separator;
    ShellOpen(IsSeparator(Directory.back()) ? Directory + FileName : Directory + Joint + FileName);
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
