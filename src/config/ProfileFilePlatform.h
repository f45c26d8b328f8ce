#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

// What profile files need of the file system, in one source per platform
// (POSIX, Windows). File names are UTF-8; handles are the C runtime's file
// descriptors on both.

// Opens a file for reading: its handle, or -1 with errno set (ENOENT for a
// name that does not exist).
int OpenToRead(const std::string& FileName);

// Creates a file of a name that no file has yet, open for writing: its
// handle, or -1 with errno set (EEXIST when the name is taken).
int CreateNewFile(const std::string& FileName);

// Reads up to Size bytes: how many it read, 0 at the end of the file, or -1
// when the file cannot be read.
int64_t ReadSome(int Handle, char* Buffer, size_t Size);

// Writes up to Size bytes: how many it wrote, or -1 when the file takes none.
int64_t WriteSome(int Handle, const char* Bytes, size_t Size);

// Closes the file; false when what was written may not have reached it.
bool CloseFile(int Handle);

// The size of an open regular file; none for anything else (a folder, a
// device) or when the system cannot tell.
std::optional<uint64_t> RegularFileSize(int Handle);

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
