#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "ErrorRecorder.h"
#include "TemporaryFolder.h"
#include "support/FilePathRoutines.h"
#include "support/VCLRoutines.h"

namespace {
// Stands in for the desktop's opener, which needs a desktop session; the real
// one is tested with the window toolkit.
class ShellOpenTest : public testing::Test {
protected:
    void SetUp() override
    {
        Replaced = SetShellOpener([this](const std::string& Target) { Opened.push_back(Target); });
    }
    void TearDown() override { SetShellOpener(Replaced); }

    std::vector<std::string> Opened;
    TShellOpener Replaced;
};
}

TEST_F(ShellOpenTest, HandsTheTargetOverUnchanged)
{
    ShellOpen(HomePageAddress);
    ShellOpen("notes.txt");
    EXPECT_EQ(Opened, (std::vector<std::string>{"https://klavora.example/lite/", "notes.txt"}));
}

TEST_F(ShellOpenTest, TakesARelativeFileNameFromTheDirectory)
{
    ShellOpenIn("/opt/klavora/", "Readme.txt");
    ShellOpenIn("/opt/klavora", "Readme.txt");
    ShellOpenIn("/opt/klavora/", "/usr/share/doc/other.txt");
    ShellOpenIn("/opt/klavora/", HomePageAddress);
    ShellOpenIn("", "Readme.txt");
    EXPECT_EQ(Opened,
        (std::vector<std::string>{"/opt/klavora/Readme.txt", "/opt/klavora/Readme.txt", "/usr/share/doc/other.txt",
            HomePageAddress, "Readme.txt"}));
}

TEST_F(ShellOpenTest, AMissingDocumentIsLeftToTheDesktopAndReportsNothing)
{
    TErrorRecorder Errors;
    ShellOpenIn("/nonexistent/klavora/", "Readme.txt");
    EXPECT_EQ(Opened, (std::vector<std::string>{"/nonexistent/klavora/Readme.txt"}));
    EXPECT_TRUE(Errors.Messages.empty());
}

TEST(ShellOpen, WithoutAnOpenerNothingIsOpenedOrReported)
{
    TErrorRecorder Errors;
    const TShellOpener Replaced = SetShellOpener({});
    ShellOpen(HomePageAddress);
    ShellOpenIn("/nonexistent/", "Readme.txt");
    EXPECT_FALSE(SetShellOpener(Replaced));
    EXPECT_TRUE(Errors.Messages.empty());
}

TEST(IsWebAddress, NeedsASchemeBeforeTheSlashes)
{
    EXPECT_TRUE(IsWebAddress(HomePageAddress));
    EXPECT_TRUE(IsWebAddress("http://klavora.example"));
    EXPECT_TRUE(IsWebAddress("svn+ssh://host/repo"));
    EXPECT_FALSE(IsWebAddress("Readme.txt"));
    EXPECT_FALSE(IsWebAddress("/home/me/http://x"));
    EXPECT_FALSE(IsWebAddress("://klavora.example"));
    EXPECT_FALSE(IsWebAddress("my notes://1"));
    EXPECT_FALSE(IsWebAddress("1http://x"));
    EXPECT_FALSE(IsWebAddress(""));
}

#ifdef _WIN32
TEST_F(ShellOpenTest, OnWindowsDrivesAndBackslashesAreUnderstood)
{
    ShellOpenIn("C:\\Program Files\\Klavora\\", "Readme.txt");
    ShellOpenIn("C:\\Program Files\\Klavora", "Readme.txt");
    ShellOpenIn("C:\\Program Files\\Klavora\\", "D:\\Notes\\other.txt");
    ShellOpenIn("C:\\Program Files\\Klavora\\", "\\\\server\\share\\other.txt");
    EXPECT_EQ(Opened,
        (std::vector<std::string>{"C:\\Program Files\\Klavora\\Readme.txt", "C:\\Program Files\\Klavora\\Readme.txt",
            "D:\\Notes\\other.txt", "\\\\server\\share\\other.txt"}));
}

namespace {
// Whether the file appears within a while (the shell runs what it opens on its own).
bool Appears(const std::string& FileName)
{
    for (int Round = 0; Round < 300; ++Round) {
        if (std::filesystem::exists(FilePath(FileName)))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}
}

// The program opened finds its own folder too.
TEST(SystemShellOpener, OpensAProgramInAFolderBeyondASCII)
{
    TTemporaryFolder Folder;
    const std::string Songs = Folder / "Kl\xC3\xA4nge \xE2\x99\xAA";
    std::filesystem::create_directory(FilePath(Songs));
    std::filesystem::copy_file(KLAVORA_SHELL_OPEN_PROBE, FilePath(Songs + "\\Leave a mark.exe"));
    const TShellOpener Replaced = SetShellOpener(SystemShellOpener());
    ShellOpenIn(Songs, "Leave a mark.exe");
    SetShellOpener(Replaced);
    EXPECT_TRUE(Appears(Songs + "\\opened.txt"));
}

TEST(SystemShellOpener, AMissingDocumentIsNotReported)
{
    TErrorRecorder Errors;
    TTemporaryFolder Folder;
    const TShellOpener Replaced = SetShellOpener(SystemShellOpener());
    ShellOpenIn(Folder.Path(), "Readme.txt");
    SetShellOpener(Replaced);
    EXPECT_TRUE(Errors.Messages.empty());
}
#else
TEST(SystemShellOpener, IsLeftToTheWindowToolkitOutsideWindows)
{
    EXPECT_FALSE(SystemShellOpener());
}
#endif
