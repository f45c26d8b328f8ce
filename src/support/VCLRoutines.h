#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// A list of 8-bit text lines.
using TStringList = std::vector<std::string>;

// Stores Text as the line at Position, appending empty lines first where the
// list is too short. An absent list (null) is left alone.
void PutStringAt(TStringList* List, const std::string& Text, int32_t Position);

// The product's home page, opened by the Help menu and the About box.
inline constexpr const char* HomePageAddress = "https://klavora.example/lite/";

// Asks the desktop to open Target, a file name or a web address, with the
// program it chooses. Returns at once; whether the target opens is not
// reported.
void ShellOpen(const std::string& Target);

// As ShellOpen for FileName, a relative name being taken from Directory.
void ShellOpenIn(const std::string& Directory, const std::string& FileName);

// True when Target is a web address (a scheme followed by "://") rather
// than a file name.
bool IsWebAddress(const std::string& Target);

// What hands a target to the desktop. The program installs one; until then
// ShellOpen and ShellOpenIn do nothing. It receives a web address unchanged
// or a file name already joined with its directory.
using TShellOpener = std::function<void(const std::string& Target)>;

// Installs the opener; an empty one removes it. Returns the one it replaced.
TShellOpener SetShellOpener(TShellOpener Opener);

// The platform's own shell where it has one below the window toolkit: on
// Windows, ShellExecuteW with the verb "open", whose answer is not examined.
// Empty elsewhere.
TShellOpener SystemShellOpener();
