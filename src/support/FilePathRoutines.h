#pragma once

#include <filesystem>
#include <string>
#include <string_view>

// File names are UTF-8 text inside the program; the system's file calls take
// them as paths, in wide characters on Windows. Neither conversion throws: a
// name that is not valid UTF-8 names, on Windows, a file nobody has.
std::filesystem::path FilePath(std::string_view FileName);
std::string FileNameText(const std::filesystem::path& Path);
