#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "TemporaryFolder.h"
#include "support/ProgramFolderRoutines.h"

TEST(ProgramFolder, IsTheExecutablesFolderWhateverTheCurrentDirectory)
{
    const std::string Executable = std::filesystem::read_symlink("/proc/self/exe").string();
    const std::string Expected = Executable.substr(0, Executable.rfind('/') + 1);
    EXPECT_EQ(ProgramFolder(), Expected);

    const std::string Before = std::filesystem::current_path().string();
    ASSERT_EQ(chdir("/"), 0);
    EXPECT_EQ(ProgramFolder(), Expected);
    ASSERT_EQ(chdir(Before.c_str()), 0);
}

TEST(ProgramFolder, CanBePointedElsewhereAndBack)
{
    SetProgramFolder("/tmp/somewhere");
    EXPECT_EQ(ProgramFolder(), "/tmp/somewhere/");
    SetProgramFolder("/tmp/other/");
    EXPECT_EQ(ProgramFolder(), "/tmp/other/");
    SetProgramFolder("");
    EXPECT_EQ(ProgramFolder().back(), '/');
    EXPECT_NE(ProgramFolder(), "/tmp/other/");
}

namespace {
namespace fs = std::filesystem;
}

TEST(ProgramLayout, OneDataFileBesideTheProgramKeepsEveryFileInItsFolder)
{
    TTemporaryInstallation Installed;
    EXPECT_EQ(ProgramLayout(), TProgramLayout::Installed);
    EXPECT_EQ(DataFolder(), Installed.Data());
    EXPECT_EQ(SettingsFolder(), Installed.Settings());
    EXPECT_EQ(SettingsFile("Setup.ini"), Installed.Settings() + "Setup.ini");

    Installed.Write("bin/Readme.txt", "my own notes");
    EXPECT_EQ(ProgramLayout(), TProgramLayout::Beside);
    EXPECT_EQ(SettingsFolder(), Installed.Bin());
    EXPECT_EQ(DataFolder(), Installed.Bin());
    EXPECT_EQ(DataFile("Keyboard.ini"), Installed.Bin() + "Keyboard.ini");

    // With data files nowhere, the program folder is still the place.
    fs::remove(Installed / "bin/Readme.txt");
    fs::remove_all(Installed / "share");
    EXPECT_EQ(ProgramLayout(), TProgramLayout::Beside);
    EXPECT_EQ(SettingsFile("Setup.ini"), Installed.Bin() + "Setup.ini");
}

TEST(ProgramLayout, TheSettingsFolderFollowsXDGAndIsMadeOnlyWhenInstalled)
{
    TTemporaryInstallation Installed;
    EXPECT_FALSE(fs::exists(Installed.Settings()));
    EXPECT_TRUE(MakeSettingsFolder());
    EXPECT_TRUE(fs::is_directory(Installed.Settings()));

    // A relative XDG_CONFIG_HOME is no configuration folder: .config in the home folder is.
    const std::string Home = std::getenv("HOME") != nullptr ? std::getenv("HOME") : "";
    setenv("HOME", (Installed / "home/").c_str(), 1);
    setenv("XDG_CONFIG_HOME", "relative/config", 1);
    EXPECT_EQ(SettingsFolder(), Installed / "home/.config/klavora/");
    unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(SettingsFolder(), Installed / "home/.config/klavora/");
    EXPECT_TRUE(MakeSettingsFolder());
    EXPECT_TRUE(fs::is_directory(Installed / "home/.config/klavora"));
    setenv("HOME", Home.c_str(), 1);

    // The program folder is never made.
    SetProgramFolder(Installed / "gone/");
    EXPECT_TRUE(MakeSettingsFolder());
    EXPECT_FALSE(fs::exists(Installed / "gone"));
}
