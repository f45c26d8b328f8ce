#pragma once

#include <string>

// The folder of the running executable, with its trailing separator; the
// current directory plays no part.
std::string ProgramFolder();

// Points ProgramFolder at another folder (tests use a temporary one); an
// empty text restores the executable's folder. A missing trailing separator
// is added.
void SetProgramFolder(const std::string& Folder);

// Where the program's files are.
// - Beside: the data files stand beside the executable (a build folder, an
//   unpacked folder), or are nowhere to be found; every file is read and
//   written in the program folder.
// - Installed: they stand in "share/klavora/" beside the executable's parent
//   folder (as /usr/bin and /usr/share/klavora). The user's own files live in
//   "klavora/" of the user's configuration folder.
enum class TProgramLayout { Beside, Installed };
TProgramLayout ProgramLayout();

// The folder of the user's files (the settings file and the log), with its
// trailing separator: the program folder beside the program; when installed,
// $XDG_CONFIG_HOME/klavora/ (by default ~/.config/klavora/).
std::string SettingsFolder();

// The folder of the files that ship with the program, with its trailing separator.
std::string DataFolder();

// The full name of a file of the user's own, such as "Setup.ini".
std::string SettingsFile(const std::string& Name);

// The full name of a data file the user may replace, such as "Keyboard.ini":
// the user's own copy in the settings folder when there is one, else the
// shipped one in the data folder.
std::string DataFile(const std::string& Name);

// When installed, creates the settings folder and any missing folder above
// it; beside the program, creates nothing. Returns false when a folder could
// not be made.
bool MakeSettingsFolder();
