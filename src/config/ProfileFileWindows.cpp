#include "config/ProfileFilePlatform.h"

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <string>

#include "config/ProfileText.h"
#include "support/FilePathRoutines.h"
#include "support/WideTextRoutines.h"

const std::string_view NewProfileLineBreak = "\r\n";

namespace {

// Named after the folder's full name in lower case, so that every spelling
// of one folder shares it; a hash keeps long folder names within the limit.
std::wstring MutexNameOf(const std::string& Folder)
{
    std::error_code Error;
    std::wstring Full = std::filesystem::absolute(FilePath(Folder), Error).lexically_normal().native();
    if (!Full.empty())
        CharLowerBuffW(Full.data(), static_cast<DWORD>(Full.size()));
    uint64_t Hash = 14695981039346656037u;
    for (wchar_t Character : Full)
        Hash = (Hash ^ static_cast<uint16_t>(Character)) * 1099511628211u;
    return L"Local\\Klavora profile folder " + std::to_wstring(Hash);
}

}

int OpenToRead(const std::string& FileName)
{
    return _wopen(WideText(FileName).c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT);
}

int CreateNewFile(const std::string& FileName)
{
    return _wopen(WideText(FileName).c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
                  _S_IREAD | _S_IWRITE);
}

int64_t ReadSome(int Handle, char* Buffer, size_t Size)
{
    return _read(Handle, Buffer, static_cast<unsigned>(std::min<size_t>(Size, INT_MAX)));
}

int64_t WriteSome(int Handle, const char* Bytes, size_t Size)
{
    return _write(Handle, Bytes, static_cast<unsigned>(std::min<size_t>(Size, INT_MAX)));
}

bool CloseFile(int Handle)
{
    return _close(Handle) == 0;
}

std::optional<uint64_t> RegularFileSize(int Handle)
{
    struct _stat64 Status;
    if (_fstat64(Handle, &Status) != 0 || (Status.st_mode & _S_IFMT) != _S_IFREG)
        return std::nullopt;
    return static_cast<uint64_t>(Status.st_size);
}

bool IsReadOnlyFile(const std::string& FileName)
{
    const DWORD Attributes = GetFileAttributesW(WideText(FileName).c_str());
    return Attributes != INVALID_FILE_ATTRIBUTES && (Attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

// A new file takes the permissions its folder gives: there is nothing to copy.
bool CommitLike(int Handle, const std::string&)
{
    return _commit(Handle) == 0;
}

bool ReplaceWith(const std::string& Temporary, const std::string& Target)
{
    return MoveFileExW(WideText(Temporary).c_str(), WideText(Target).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

void RemoveFile(const std::string& FileName)
{
    DeleteFileW(WideText(FileName).c_str());
}

// Windows cannot lock a folder itself: a mutex of the folder's name stands
// for it. One whose holder died is taken over.
TFolderLock::TFolderLock(const std::string& Folder)
    : Handle(reinterpret_cast<intptr_t>(CreateMutexW(nullptr, FALSE, MutexNameOf(Folder).c_str())))
{
    const HANDLE Mutex = reinterpret_cast<HANDLE>(Handle);
    if (Mutex == nullptr)
        return;
    const DWORD Waited = WaitForSingleObject(Mutex, INFINITE);
    if (Waited != WAIT_OBJECT_0 && Waited != WAIT_ABANDONED) {
        CloseHandle(Mutex);
        Handle = 0;
    }
}

TFolderLock::~TFolderLock()
{
    const HANDLE Mutex = reinterpret_cast<HANDLE>(Handle);
    if (Mutex == nullptr)
        return;
    ReleaseMutex(Mutex);
    CloseHandle(Mutex);
}

// The replacement was written through already.
void TFolderLock::Flush() const {}
