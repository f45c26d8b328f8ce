#include "support/ProgramFolderRoutines.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

namespace {

// What the platform answers: where the executable is, where the user's
// configuration lives, whether a file is there, and making a folder.

std::string ExecutableFolder()
{
    char Path[PATH_MAX];
    const ssize_t Length = readlink("/proc/self/exe", Path, sizeof Path);
    if (Length <= 0 || static_cast<size_t>(Length) >= sizeof Path)
        return "/";
    const std::string Executable(Path, static_cast<size_t>(Length));
    return Executable.substr(0, Executable.rfind('/') + 1);
}

// $XDG_CONFIG_HOME when it names an absolute folder, else .config in the
// user's home folder; without a trailing separator.
std::string UserConfigFolder()
{
    const char* ConfigHome = std::getenv("XDG_CONFIG_HOME");
    if (ConfigHome != nullptr && ConfigHome[0] == '/')
        return ConfigHome;
    const char* Home = std::getenv("HOME");
    if (Home == nullptr || Home[0] != '/') {
        const passwd* User = getpwuid(getuid());
        Home = User != nullptr ? User->pw_dir : "";
    }
    std::string Folder(Home);
    if (!Folder.empty() && Folder.back() == '/')
        Folder.pop_back();
    return Folder + "/.config";
}

bool IsFile(const std::string& Name)
{
    struct stat Status;
    return stat(Name.c_str(), &Status) == 0 && S_ISREG(Status.st_mode);
}

bool MakeFolder(const std::string& Folder)
{
    return mkdir(Folder.c_str(), 0700) == 0 || errno == EEXIST;
}

// Set by tests; empty means the executable's own folder.
std::string FolderOverride;

std::string WithTrailingSeparator(std::string Folder)
{
    if (Folder.empty() || Folder.back() != '/')
        Folder += '/';
    return Folder;
}

constexpr const char* DataFileNames[] = {"Keyboard.ini", "GeneralMIDI.ini", "Readme.txt"};
constexpr const char* ProgramName = "klavora";

bool HoldsDataFiles(const std::string& Folder)
{
    for (const char* Name : DataFileNames)
        if (IsFile(Folder + Name))
            return true;
    return false;
}

// share/klavora/ beside the parent of the program folder: /usr/bin/ gives
// /usr/share/klavora/.
std::string InstalledDataFolder()
{
    const std::string Folder = ProgramFolder();
    const size_t ParentEnd = Folder.rfind('/', Folder.size() - 2);
    const std::string Parent = ParentEnd == std::string::npos ? "/" : Folder.substr(0, ParentEnd + 1);
    return Parent + "share/" + ProgramName + '/';
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

TProgramLayout ProgramLayout()
{
    if (HoldsDataFiles(ProgramFolder()) || !HoldsDataFiles(InstalledDataFolder()))
        return TProgramLayout::Beside;
    return TProgramLayout::Installed;
}

std::string SettingsFolder()
{
    if (ProgramLayout() == TProgramLayout::Beside)
        return ProgramFolder();
    return UserConfigFolder() + '/' + ProgramName + '/';
}

std::string DataFolder()
{
    return ProgramLayout() == TProgramLayout::Beside ? ProgramFolder() : InstalledDataFolder();
}

std::string SettingsFile(const std::string& Name)
{
    return SettingsFolder() + Name;
}

std::string DataFile(const std::string& Name)
{
    if (ProgramLayout() == TProgramLayout::Beside)
        return ProgramFolder() + Name;
    const std::string Own = SettingsFile(Name);
    return IsFile(Own) ? Own : InstalledDataFolder() + Name;
}

bool MakeSettingsFolder()
{
    // The program folder is the executable's: it is there or nothing is.
    if (ProgramLayout() == TProgramLayout::Beside)
        return true;
    const std::string Folder = SettingsFolder();
    for (size_t Separator = Folder.find('/', 1); Separator != std::string::npos;
         Separator = Folder.find('/', Separator + 1))
        if (!MakeFolder(Folder.substr(0, Separator)))
            return false;
    return true;
}
