#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ErrorRecorder.h"
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
