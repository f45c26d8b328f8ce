#include "WineDesktop.h"

#include <cstdlib>
#include <filesystem>

#include <pwd.h>
#include <unistd.h>

#include "CommandOutput.h"

namespace {

// Runs a Wine tool in the prefix; whether it succeeded.
bool Wine(const std::string& Command)
{
    int Status = -1;
    Output("env WINEPREFIX='" + WinePrefixFolder() + "' WINEDEBUG=-all " + Command + " </dev/null 2>&1", &Status);
    return Status == 0;
}

}

std::string TWineDesktop::Problem;

std::string WindowsBuildFolder()
{
    const char* Folder = std::getenv("KLAVORA_WINDOWS_BUILD");
    return Folder != nullptr ? Folder : "";
}

std::string WinePrefixFolder()
{
    return WindowsBuildFolder() + "/wine-desktop";
}

std::string ProgramFilesFolder()
{
    return WinePrefixFolder() + "/drive_c/Program Files/";
}

std::string CommonStartMenuFolder()
{
    return WinePrefixFolder() + "/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/";
}

// Wine names the Windows user after the Unix one.
std::string RoamingAppDataFolder()
{
    const passwd* User = getpwuid(getuid());
    return WinePrefixFolder() + "/drive_c/users/" + (User != nullptr ? User->pw_name : "") + "/AppData/Roaming/";
}

std::vector<std::string> WineEnvironment(const std::vector<std::string>& Added)
{
    std::vector<std::string> Variables{"WINEPREFIX=" + WinePrefixFolder(), "WINEDEBUG=-all",
                                       "WINEDLLOVERRIDES=winmm=n,b;mscoree,mshtml=;winemenubuilder.exe=d"};
    Variables.insert(Variables.end(), Added.begin(), Added.end());
    return Variables;
}

std::string WindowsFileName(const std::string& UnixName)
{
    std::string Name = "Z:" + UnixName;
    for (char& Character : Name)
        if (Character == '/')
            Character = '\\';
    return Name;
}

void TWineDesktop::SetUp()
{
    if (WindowsBuildFolder().empty()) {
        Problem = "KLAVORA_WINDOWS_BUILD names no cross build";
        return;
    }
    if (!std::filesystem::exists(WindowsBuildFolder() + "/klavora.exe")) {
        Problem = "no klavora.exe in " + WindowsBuildFolder();
        return;
    }
    Display.emplace();
    if (Display->Name.empty())
        Problem = "Xvfb did not start";
    else if (!Wine("bash '" KLAVORA_SOURCE_DIR "/scripts/wine-prefix' '" + WinePrefixFolder() + "'"))
        Problem = "the Wine prefix " + WinePrefixFolder() + " could not be made";
}

void TWineDesktop::TearDown()
{
    if (Display)
        Wine("wineserver -k");
    Display.reset();
}
