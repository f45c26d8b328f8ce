#pragma once

#include <cstdint>
#include <string>

// What profile files need of the file system, in one source per platform
// (POSIX, Windows). File names are UTF-8; handles are the C runtime's file
// descriptors on both, read, written and closed with read, write and close.

// Opens a file for reading: its handle, or -1 with errno set (ENOENT for a
// name that does not exist).
int OpenToRead(const std::string& FileName);

// Creates a file of a name that no file has yet, open for writing: its
// handle, or -1 with errno set (EEXIST when the name is taken).
int CreateNewFile(const std::string& FileName);

// Whether there is a file that its owner made read-only.
bool IsReadOnlyFile(const std::string& FileName);

// Gives the open file the permissions of the file Original, where there is
// one, and writes it through to the disk.
bool CommitLike(int Handle, const std::string& Original);

// Puts the file Temporary in Target's place at once, replacing Target.
bool ReplaceWith(const std::string& Temporary, const std::string& Target);

void RemoveFile(const std::string& FileName);

// The exclusive lock of a folder, held while the value lives: writes of
// other programs to files in that folder wait until it goes, so that each of
// them reads the file after the last change. Where the folder cannot be
// locked (a network folder may refuse), writes go on without waiting.
class TFolderLock {
public:
    explicit TFolderLock(const std::string& Folder);
    ~TFolderLock();
    TFolderLock(const TFolderLock&) = delete;
    TFolderLock& operator=(const TFolderLock&) = delete;

    // Makes a replacement in the folder reach the disk.
    void Flush() const;

private:
    intptr_t Handle;
};
