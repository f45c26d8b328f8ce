#include "config/ProfileFilePlatform.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "config/ProfileText.h"

const std::string_view NewProfileLineBreak = "\n";

int OpenToRead(const std::string& FileName)
{
    return open(FileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
}

int CreateNewFile(const std::string& FileName)
{
    return open(FileName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
}

int64_t ReadSome(int Handle, char* Buffer, size_t Size)
{
    ssize_t Count;
    do
        Count = read(Handle, Buffer, Size);
    while (Count < 0 && errno == EINTR);
    return Count;
}

int64_t WriteSome(int Handle, const char* Bytes, size_t Size)
{
    ssize_t Count;
    do
        Count = write(Handle, Bytes, Size);
    while (Count < 0 && errno == EINTR);
    return Count;
}

bool CloseFile(int Handle)
{
    return close(Handle) == 0;
}

std::optional<uint64_t> RegularFileSize(int Handle)
{
    struct stat Status;
    if (fstat(Handle, &Status) != 0 || !S_ISREG(Status.st_mode))
        return std::nullopt;
    return static_cast<uint64_t>(Status.st_size);
}

bool IsReadOnlyFile(const std::string& FileName)
{
    return access(FileName.c_str(), F_OK) == 0 && access(FileName.c_str(), W_OK) != 0;
}

bool CommitLike(int Handle, const std::string& Original)
{
    struct stat Old;
    if (stat(Original.c_str(), &Old) == 0 && fchmod(Handle, Old.st_mode & 07777) != 0)
        return false;
    return fsync(Handle) == 0;
}

bool ReplaceWith(const std::string& Temporary, const std::string& Target)
{
    return rename(Temporary.c_str(), Target.c_str()) == 0;
}

void RemoveFile(const std::string& FileName)
{
    unlink(FileName.c_str());
}

TFolderLock::TFolderLock(const std::string& Folder)
    : Handle(open(Folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC))
{
    if (Handle >= 0)
        while (flock(static_cast<int>(Handle), LOCK_EX) != 0 && errno == EINTR) {
        }
}

TFolderLock::~TFolderLock()
{
    if (Handle >= 0)
        close(static_cast<int>(Handle));
}

void TFolderLock::Flush() const
{
    if (Handle >= 0)
        fsync(static_cast<int>(Handle));
}
