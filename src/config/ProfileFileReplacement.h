#pragma once

#include <string>
#include <string_view>

#include "config/ProfileFilePlatform.h"

// How a write puts a profile file's new content on disk: a write of one copy
// of the program waits for another's (the folder's lock), and the new
// content takes the old one's place all at once.

// The file a write replaces: the target of a symbolic link, so that the link
// itself survives, or the name itself.
std::string WriteTarget(const std::string& FileName);

// The folder of a file, with its trailing separator ("./" for a bare name).
std::string FolderOf(const std::string& FileName);

// Puts Bytes in place of the file Target, whose folder Folder holds locked:
// a temporary file of this write's own in the same folder, flushed to disk,
// then renamed over the old file, so that a crash, a full disk or another
// copy of the program never leaves a cut settings file behind, and a reader
// sees the old file or the new. False, with nothing left behind, when the
// file cannot be replaced; a file its owner made read-only never is.
bool ReplaceFile(const std::string& Target, std::string_view Bytes, const TFolderLock& Folder);

// Removes what writes of Target left behind when their program was killed
// half-way: temporary files in its folder older than a minute.
void RemoveStaleTemporariesOf(const std::string& Target);
