#include "support/ProgramFolderRoutines.h"

#include <unistd.h>

#include <climits>

namespace {

// Set by tests; empty means the executable's own folder.
std::string FolderOverride;

std::string WithTrailingSeparator(std::string Folder)
{
    if (Folder.empty() || Folder.back() != '/')
        Folder += '/';
    return Folder;
}

std::string ExecutableFolder()
{
    char Path[PATH_MAX];
    const ssize_t Length = readlink("/proc/self/exe", Path, sizeof Path);
    if (Length <= 0 || static_cast<size_t>(Length) >= sizeof Path)
        return "/";
    const std::string Executable(Path, static_cast<size_t>(Length));
    return Executable.substr(0, Executable.rfind('/') + 1);
}

}

std::string ProgramFolder()
{
    return FolderOverride.empty() ? ExecutableFolder() : FolderOverride;
}

void SetProgramFolder(const std::string& Folder)
{
    FolderOverride = Folder.empty() ? std::string() : WithTrailingSeparator(Folder);
}
