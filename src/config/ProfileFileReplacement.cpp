#include "config/ProfileFileReplacement.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <random>

#include "support/FilePathRoutines.h"

namespace {

// Where the file's own name begins in FileName, past its folder.
size_t NameStart(const std::string& FileName)
{
    const auto Separator = std::find_if(FileName.rbegin(), FileName.rend(), IsPathSeparator);
    return static_cast<size_t>(FileName.rend() - Separator);
}

std::string NameInFolder(const std::string& FileName)
{
    return FileName.substr(NameStart(FileName));
}

// A temporary file is the target's name, a dot, sixteen hexadecimal digits
// and ".tmp": unique to one write, and recognisable when it is left over.
constexpr size_t TemporaryDigits = 16;
constexpr std::string_view TemporaryEnd = ".tmp";

bool IsTemporaryOf(std::string_view Name, std::string_view Target)
{
    if (Name.size() != Target.size() + 1 + TemporaryDigits + TemporaryEnd.size() || !Name.starts_with(Target) ||
        Name[Target.size()] != '.' || !Name.ends_with(TemporaryEnd))
        return false;
    const std::string_view Digits = Name.substr(Target.size() + 1, TemporaryDigits);
    return std::all_of(Digits.begin(), Digits.end(),
                       [](char Byte) { return std::isxdigit(static_cast<unsigned char>(Byte)) != 0; });
}

bool WriteWhole(int Handle, std::string_view Bytes)
{
    while (!Bytes.empty()) {
        const int64_t Count = WriteSome(Handle, Bytes.data(), Bytes.size());
        if (Count <= 0)
            return false;
        Bytes.remove_prefix(static_cast<size_t>(Count));
    }
    return true;
}

// Creates a new temporary file beside Target, under a name no other file has;
// its handle, or -1.
int CreateTemporary(const std::string& Target, std::string& Temporary)
{
    std::random_device Random;
    for (int Attempt = 0; Attempt < 100; ++Attempt) {
        char Digits[TemporaryDigits + 1];
        std::snprintf(Digits, sizeof Digits, "%08x%08x", Random(), Random());
        Temporary = Target + '.' + Digits + std::string(TemporaryEnd);
        const int Handle = CreateNewFile(Temporary);
        if (Handle >= 0 || errno != EEXIST)
            return Handle;
    }
    return -1;
}

}

std::string WriteTarget(const std::string& FileName)
{
    namespace fs = std::filesystem;
    std::error_code Error;
    const fs::path Path = FilePath(FileName);
    if (fs::is_symlink(Path, Error)) {
        const fs::path Resolved = fs::canonical(Path, Error);
        if (!Error)
            return FileNameText(Resolved);
    }
    return FileName;
}

std::string FolderOf(const std::string& FileName)
{
    const size_t Start = NameStart(FileName);
    return Start == 0 ? "./" : FileName.substr(0, Start);
}

bool ReplaceFile(const std::string& Target, std::string_view Bytes, const TFolderLock& Folder)
{
    if (IsReadOnlyFile(Target))
        return false;
    std::string Temporary;
    const int Handle = CreateTemporary(Target, Temporary);
    if (Handle < 0)
        return false;
    bool Written = WriteWhole(Handle, Bytes) && CommitLike(Handle, Target);
    Written = CloseFile(Handle) && Written;
    if (!Written || !ReplaceWith(Temporary, Target)) {
        RemoveFile(Temporary);
        return false;
    }
    Folder.Flush();
    return true;
}

void RemoveStaleTemporariesOf(const std::string& Target)
{
    namespace fs = std::filesystem;
    const std::string Folder = FolderOf(Target);
    const std::string TargetName = NameInFolder(Target);
    // A write in progress holds the lock, and no write takes a minute.
    const TFolderLock Lock(Folder);
    const fs::file_time_type Stale = fs::file_time_type::clock::now() - std::chrono::minutes(1);
    std::error_code Error;
    for (fs::directory_iterator Entry(FilePath(Folder), Error), End; !Error && Entry != End; Entry.increment(Error)) {
        std::error_code Ignored;
        if (IsTemporaryOf(FileNameText(Entry->path().filename()), TargetName) && Entry->is_regular_file(Ignored) &&
            Entry->last_write_time(Ignored) < Stale)
            fs::remove(Entry->path(), Ignored);
    }
}
