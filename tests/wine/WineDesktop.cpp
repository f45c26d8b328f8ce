#include "WineDesktop.h"

#include <cstdlib>
#include <filesystem>

#include "CommandOutput.h"

namespace {

std::string PrefixFolder()
{
    return WindowsBuildFolder() + "/wine-desktop";
}

// Runs a Wine tool in the prefix; whether it succeeded.
bool Wine(const std::string& Command)
{
    int Status = -1;
    Output("env WINEPREFIX='" + PrefixFolder() + "' WINEDEBUG=-all " + Command + " </dev/null 2>&1", &Status);
    return Status == 0;
}

}

std::string WindowsBuildFolder()
{
    const char* Folder = std::getenv("KLAVORA_WINDOWS_BUILD");
    return Folder != nullptr ? Folder : "";
}

std::vector<std::string> WineEnvironment(const std::vector<std::string>& Added)
{
    std::vector<std::string> Variables{"WINEPREFIX=" + PrefixFolder(), "WINEDEBUG=-all",
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
    ASSERT_FALSE(WindowsBuildFolder().empty()) << "KLAVORA_WINDOWS_BUILD names no cross build";
    Display.emplace();
    ASSERT_FALSE(Display->Name.empty()) << "Xvfb did not start";
    if (!std::filesystem::exists(PrefixFolder() + "/system.reg")) {
        ASSERT_TRUE(Wine("WINEDLLOVERRIDES='mscoree,mshtml=;winemenubuilder.exe=d' wineboot --init"))
            << "the Wine prefix " << PrefixFolder() << " could not be made";
    }
    // Without a window manager Wine would wait for one at every close and keep
    // the focus on the main window: it places and frames its windows itself.
    ASSERT_TRUE(Wine("wine reg add 'HKCU\\Software\\Wine\\X11 Driver' /v Managed /t REG_SZ /d N /f"));
}

void TWineDesktop::TearDown()
{
    Wine("wineserver -k");
    Display.reset();
}
