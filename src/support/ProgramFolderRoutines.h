#pragma once

#include <string>

// The folder of the running executable, with its trailing separator. Every
// data file of the program is this folder joined with a bare file name; the
// current directory plays no part.
std::string ProgramFolder();

// Points ProgramFolder at another folder (tests use a temporary one); an
// empty text restores the executable's folder. A missing trailing separator
// is added.
void SetProgramFolder(const std::string& Folder);
