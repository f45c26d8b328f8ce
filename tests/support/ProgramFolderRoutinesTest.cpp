#include <gtest/gtest.h>

#include <filesystem>

#include "EnvironmentVariable.h"
#include "TemporaryFolder.h"
#include "support/FilePathRoutines.h"
#include "support/ProgramFolderRoutines.h"

namespace fs = std::filesystem;

TEST(ProgramFolder, IsTheExecutablesFolderWhateverTheCurrentDirectory)
{
    // The build says where this test program is.
    const fs::path Program = KLAVORA_TEST_PROGRAM;
    const std::string Folder = ProgramFolder();
    ASSERT_FALSE(Folder.empty());
    EXPECT_TRUE(IsPathSeparator(Folder.back()));
    EXPECT_TRUE(fs::equivalent(FilePath(Folder) / Program.filename(), Program));

    const fs::path Before = fs::current_path();
    fs::current_path(fs::temp_directory_path());
    EXPECT_EQ(ProgramFolder(), Folder);
    fs::current_path(Before);
}

TEST(ProgramFolder, CanBePointedElsewhereAndBack)
{
    SetProgramFolder("/tmp/somewhere");
    EXPECT_EQ(ProgramFolder(), "/tmp/somewhere/");
    SetProgramFolder("/tmp/other/");
    EXPECT_EQ(ProgramFolder(), "/tmp/other/");
    SetProgramFolder("");
    EXPECT_TRUE(IsPathSeparator(ProgramFolder().back()));
    EXPECT_NE(ProgramFolder(), "/tmp/other/");
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

TEST(ProgramLayout, TheSettingsFolderFollowsTheUsersConfigurationAndIsMadeOnlyWhenInstalled)
{
    TTemporaryInstallation Installed;
    EXPECT_FALSE(fs::exists(FilePath(Installed.Settings())));
    EXPECT_TRUE(MakeSettingsFolder());
    EXPECT_TRUE(fs::is_directory(FilePath(Installed.Settings())));

#ifdef _WIN32
    // Windows names it in APPDATA, with backslashes.
    const TEnvironmentVariable AppData("APPDATA", Installed / "Roaming \xE2\x99\xAA");
    EXPECT_EQ(SettingsFolder(), Installed / "Roaming \xE2\x99\xAA\\klavora\\");
    EXPECT_TRUE(MakeSettingsFolder());
    EXPECT_TRUE(fs::is_directory(FilePath(Installed / "Roaming \xE2\x99\xAA\\klavora")));
#else
    // A relative XDG_CONFIG_HOME is no configuration folder: .config in the home folder is.
    {
        const TEnvironmentVariable Home("HOME", Installed / "home/");
        const TEnvironmentVariable Relative("XDG_CONFIG_HOME", "relative/config");
        EXPECT_EQ(SettingsFolder(), Installed / "home/.config/klavora/");
    }
    const TEnvironmentVariable Home("HOME", Installed / "home/");
    const TEnvironmentVariable Unset("XDG_CONFIG_HOME", std::nullopt);
    EXPECT_EQ(SettingsFolder(), Installed / "home/.config/klavora/");
    EXPECT_TRUE(MakeSettingsFolder());
    EXPECT_TRUE(fs::is_directory(Installed / "home/.config/klavora"));
#endif

    // The program folder is never made.
    SetProgramFolder(Installed / "gone/");
    EXPECT_TRUE(MakeSettingsFolder());
    EXPECT_FALSE(fs::exists(FilePath(Installed / "gone")));
}
