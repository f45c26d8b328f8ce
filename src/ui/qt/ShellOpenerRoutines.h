#pragma once

#include <string>

#include <QUrl>

// The URL that the desktop opens for a shell target: a web address as it is,
// a file name as a file URL (a relative one taken from the current folder).
QUrl UrlOfShellTarget(const std::string& Target);

// Makes ShellOpen and ShellOpenIn hand their targets to the system's shell
// (Windows') or else to the desktop's URL opener; either starts the program
// the user chose for them and returns at once.
void InstallShellOpener();
