#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "ChildProcess.h"
#include "CommandOutput.h"
#include "WineDesktop.h"
#include "WindowsProgramRun.h"

// The installer of the cross build, as an administrator deploys it: run
// silently, it installs the program under Program Files in the layout the
// program looks for, where each user's settings go to %APPDATA%\klavora; its
// uninstaller, run silently too, takes away all it installed.

namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

const std::string UninstallKey = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Klavora Lite";

// Runs a Windows program under Wine to its end; its exit code.
int RunUnderWine(const std::vector<std::string>& Arguments)
{
    std::vector<std::string> Command{"wine"};
    Command.insert(Command.end(), Arguments.begin(), Arguments.end());
    pid_t Program = StartProcess(Command, WineEnvironment());
    return Ended(Program, 60s);
}

// The program's entry in Add/Remove Programs; empty when there is none.
std::string UninstallEntry()
{
    int Status = -1;
    const std::string Entry = Output("env WINEPREFIX='" + WinePrefixFolder() + "' WINEDEBUG=-all wine reg query '" +
                                     UninstallKey + "' 2>/dev/null", &Status);
    return Status == 0 ? Entry : "";
}

}

TEST_F(WindowsProgramTest, TheInstallerInstallsUnderProgramFilesAndTheUninstallerTakesItAway)
{
    const fs::path Setup = WindowsBuildFolder() + "/klavora-2.9-setup.exe";
    ASSERT_TRUE(fs::exists(Setup)) << "no installer: make windows-package";
    const std::string Installed = ProgramFilesFolder() + "Klavora/";
    const std::string Shortcut = CommonStartMenuFolder() + "Klavora Lite.lnk";
    const std::string Settings = RoamingAppDataFolder() + "klavora/";
    fs::remove_all(Settings);

    ASSERT_EQ(RunUnderWine({Setup.string(), "/S"}), 0);
    for (const char* File :
         {"bin/klavora.exe", "share/klavora/Keyboard.ini", "share/klavora/GeneralMIDI.ini", "share/klavora/Readme.txt"})
        EXPECT_TRUE(fs::exists(Installed + File)) << File;
    EXPECT_TRUE(fs::exists(Shortcut));
    const std::string Entry = UninstallEntry();
    EXPECT_NE(Entry.find("DisplayName    REG_SZ    Klavora Lite"), std::string::npos) << Entry;
    EXPECT_NE(Entry.find("UninstallString    REG_SZ    \"C:\\Program Files\\Klavora\\Uninstall.exe\""),
              std::string::npos)
        << Entry;

    // The installed program, on the tests' own MIDI devices, keeps the user's
    // settings and log in the user's application data.
    fs::copy_file(WindowsBuildFolder() + "/winmm-stand-in/winmm.dll", Installed + "bin/winmm.dll");
    Start({}, Installed + "bin/klavora.exe");
    EXPECT_FALSE(MainWindow().empty()) << "the installed program showed no window";
    EXPECT_EQ(CloseWithAltF4(), 0);
    EXPECT_TRUE(fs::exists(Settings + "Setup.ini"));
    EXPECT_TRUE(fs::exists(Settings + "Klavora.log"));
    EXPECT_FALSE(fs::exists(Installed + "bin/Setup.ini"));
    fs::remove(Installed + "bin/winmm.dll");

    // The uninstaller runs on from a copy of itself, so that it can remove its own file.
    ASSERT_EQ(RunUnderWine({"C:\\Program Files\\Klavora\\Uninstall.exe", "/S"}), 0);
    for (int Try = 0; Try < 100 && fs::exists(Installed); ++Try)
        std::this_thread::sleep_for(100ms);
    EXPECT_FALSE(fs::exists(Installed));
    EXPECT_FALSE(fs::exists(Shortcut));
    EXPECT_EQ(UninstallEntry(), "");
    EXPECT_TRUE(fs::exists(Settings + "Setup.ini")) << "the user's settings are the user's";
}
