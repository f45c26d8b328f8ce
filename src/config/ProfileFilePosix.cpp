#include "config/ProfileFilePlatform.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "config/ProfileFile.h"

const std::string_view NewProfileLineBreak = "\n";

int OpenToRead(const std::string& FileName)
{
    return open(FileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
}

int CreateNewFile(const std::string& FileName)
{
    return open(FileName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
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
