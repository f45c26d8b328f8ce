#pragma once

#include <cstdio>

// The desktop's two conventional options, answered before anything opens a
// display: "--help" prints what the program is and where its files are,
// "--version" its name and version, both on Out. Returns whether one of them
// was given (the program then ends with exit code 0). Every other argument
// is ignored.
bool AnswerCommandLine(int Argc, const char* const* Argv, std::FILE* Out);

// The version, as the build names it.
inline constexpr const char* ProgramVersion = KLAVORA_VERSION;
