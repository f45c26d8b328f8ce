#include "support/ProgramFolderRoutines.h"

#include "support/FilePathRoutines.h"

#ifdef _WIN32
#include <windows.h>

#include "support/WideTextRoutines.h"
#else
#include <unistd.h>

#include <climits>
#endif

namespace {

// Set by tests; empty means the executable's own folder.
std::string FolderOverride;

// The folder of Executable, a full file name, with its trailing separator.
std::string FolderOfExecutable(const std::string& Executable)
{
    size_t End = Executable.size();
    while (End > 0 && !IsPathSeparator(Executable[End - 1]))
        --End;
    return End == 0 ? std::string(1, PathSeparator) : Executable.substr(0, End);
}

#ifdef _WIN32
std::string ExecutableFolder()
{
    // Long paths need more than MAX_PATH: the buffer grows until the name fits.
    std::wstring Path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD Length = GetModuleFileNameW(nullptr, Path.data(), static_cast<DWORD>(Path.size()));
        if (Length == 0)
            return std::string(1, PathSeparator);
        if (Length < Path.size())
            return FolderOfExecutable(Utf8Text(std::wstring_view(Path.data(), Length)));
        Path.resize(Path.size() * 2);
    }
}
#else
std::string ExecutableFolder()
{
    char Path[PATH_MAX];
    const ssize_t Length = readlink("/proc/self/exe", Path, sizeof Path);
    if (Length <= 0 || static_cast<size_t>(Length) >= sizeof Path)
        return "/";
    return FolderOfExecutable(std::string(Path, static_cast<size_t>(Length)));
}
#endif

}

std::string ProgramFolder()
{
    return FolderOverride.empty() ? ExecutableFolder() : FolderOverride;
}

void SetProgramFolder(const std::string& Folder)
{
    FolderOverride = Folder.empty() ? std::string() : WithTrailingSeparator(Folder);
}
