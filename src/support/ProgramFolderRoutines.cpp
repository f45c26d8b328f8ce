#include "support/ProgramFolderRoutines.h"

#include <filesystem>

#include "support/FilePathRoutines.h"

#ifdef _WIN32
#include <windows.h>
#include <shlobj.h>

#include "support/WideTextRoutines.h"
#else
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#endif

namespace {

// What the platform answers: where the executable is, where the user's
// configuration lives, and making a folder with the folders above it.

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

// %APPDATA%, the user's roaming application data, where Windows programs
// keep the user's settings.
std::string UserConfigFolder()
{
    if (const wchar_t* AppData = _wgetenv(L"APPDATA"); AppData != nullptr && AppData[0] != L'\0')
        return Utf8Text(AppData);
    PWSTR Known = nullptr;
    std::string Folder;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_RoamingAppData, 0, nullptr, &Known)))
        Folder = Utf8Text(Known);
    CoTaskMemFree(Known);
    return Folder;
}

bool MakeFolders(const std::string& Folder)
{
    std::error_code Error;
    std::filesystem::create_directories(FilePath(Folder), Error);
    return std::filesystem::is_directory(FilePath(Folder), Error);
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

// $XDG_CONFIG_HOME when it names an absolute folder, else .config in the
// user's home folder.
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

// Each folder made is the user's alone.
bool MakeFolders(const std::string& Folder)
{
    for (size_t Separator = Folder.find('/', 1); Separator != std::string::npos;
         Separator = Folder.find('/', Separator + 1))
        if (mkdir(Folder.substr(0, Separator).c_str(), 0700) != 0 && errno != EEXIST)
            return false;
    return true;
}
#endif

bool IsFile(const std::string& Name)
{
    std::error_code Error;
    return std::filesystem::is_regular_file(FilePath(Name), Error);
}

// Set by tests; empty means the executable's own folder.
std::string FolderOverride;

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
// /usr/share/klavora/, C:\Klavora\bin\ gives C:\Klavora\share\klavora\.
std::string InstalledDataFolder()
{
    const std::string Folder = ProgramFolder();
    const char Separator = Folder.back();
    size_t ParentEnd = Folder.size() - 1;
    while (ParentEnd > 0 && !IsPathSeparator(Folder[ParentEnd - 1]))
        --ParentEnd;
    const std::string Parent = ParentEnd == 0 ? std::string(1, Separator) : Folder.substr(0, ParentEnd);
    return Parent + "share" + Separator + ProgramName + Separator;
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
    const std::string Config = WithTrailingSeparator(UserConfigFolder());
    return Config + ProgramName + Config.back();
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
    return MakeFolders(SettingsFolder());
}
