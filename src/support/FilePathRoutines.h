#pragma once

#include <filesystem>
#include <string>
#include <string_view>

// File names are UTF-8 text inside the program; the system's file calls take
// them as paths, in wide characters on Windows. Neither conversion throws: a
// name that is not valid UTF-8 names, on Windows, a file nobody has.
std::filesystem::path FilePath(std::string_view FileName);
std::string FileNameText(const std::filesystem::path& Path);

// The separator the system writes between folders: a backslash on Windows, a
// slash elsewhere; Windows takes a slash as well.
#ifdef _WIN32
inline constexpr char PathSeparator = '\\';
#else
inline constexpr char PathSeparator = '/';
#endif
bool IsPathSeparator(char Character);

// Folder with a separator at its end, the kind it already uses: a folder
// written with slashes gets a slash, on Windows too.
std::string WithTrailingSeparator(std::string Folder);

// Whether a file name stands on its own rather than inside a folder given
// with it: rooted, or on Windows also with a drive ("C:\\Notes", "D:x").
bool IsAbsoluteFileName(std::string_view FileName);
