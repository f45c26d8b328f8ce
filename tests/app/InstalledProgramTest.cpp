#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <signal.h>

#include "ProgramRunFixture.h"
#include "TemporaryFolder.h"
#include "app/KlavoraProgram.h"

// The program as a distribution installs it: `cmake --install` into a prefix
// of the test's own, and the Debian package that CPack makes.

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using TTexts = std::vector<std::string>;

const std::string AppId = KLAVORA_APP_ID;
const std::string BuildFolder = KLAVORA_BUILD_DIR;

// Installs the build into Prefix (a folder with its trailing separator).
void Install(const std::string& Prefix)
{
    int Status = -1;
    const std::string Said = Output("cmake --install '" + BuildFolder + "' --prefix '" + Prefix + "' 2>&1", &Status);
    ASSERT_EQ(Status, 0) << Said;
}

// Width and height of a PNG picture, from its header.
std::pair<uint32_t, uint32_t> PictureSize(const std::string& FileName)
{
    std::ifstream File(FileName, std::ios::binary);
    unsigned char Header[24] = {};
    File.read(reinterpret_cast<char*>(Header), sizeof Header);
    const auto BigEndian = [&](int At) {
        return uint32_t{Header[At]} << 24 | uint32_t{Header[At + 1]} << 16 | uint32_t{Header[At + 2]} << 8 |
               uint32_t{Header[At + 3]};
    };
    return {BigEndian(16), BigEndian(20)};
}

bool Contains(const std::string& Text, const std::string& Part)
{
    return Text.find(Part) != std::string::npos;
}

// The file's first line that starts with Start, or empty text.
std::string LineStarting(const std::string& FileName, const std::string& Start)
{
    std::ifstream File(FileName);
    for (std::string Line; std::getline(File, Line);)
        if (Line.rfind(Start, 0) == 0)
            return Line;
    return {};
}

}

TEST(InstalledTree, HoldsWhatTheDesktopNeedsAndPassesItsValidators)
{
    TTemporaryFolder Prefix;
    Install(Prefix.Path());
    for (const char* Name : {"bin/klavora", "share/klavora/Keyboard.ini", "share/klavora/GeneralMIDI.ini",
                             "share/klavora/Readme.txt", "share/man/man1/klavora.1"})
        EXPECT_TRUE(fs::is_regular_file(Prefix / Name)) << Name;
    const std::string Desktop = Prefix / ("share/applications/" + AppId + ".desktop");
    const std::string Metainfo = Prefix / ("share/metainfo/" + AppId + ".metainfo.xml");
    EXPECT_TRUE(fs::is_regular_file(Prefix / ("share/icons/hicolor/scalable/apps/" + AppId + ".svg")));
    for (uint32_t Size : {16u, 32u, 48u, 64u, 128u}) {
        const std::string Icon = Prefix / ("share/icons/hicolor/" + std::to_string(Size) + "x" + std::to_string(Size) +
                                           "/apps/" + AppId + ".png");
        EXPECT_EQ(PictureSize(Icon), std::make_pair(Size, Size)) << Icon;
    }
    EXPECT_EQ(LineStarting(Desktop, "Categories="), "Categories=AudioVideo;Audio;Midi;Music;");
    EXPECT_EQ(LineStarting(Desktop, "Icon="), "Icon=" + AppId);
    EXPECT_EQ(LineStarting(Desktop, "Exec="), "Exec=klavora");

    int Status = -1;
    std::string Said = Output("desktop-file-validate '" + Desktop + "' 2>&1", &Status);
    EXPECT_EQ(Status, 0) << Said;
    EXPECT_EQ(Said, "");
    for (const std::string& Check :
         {"validate --no-net '" + Metainfo + "'", "validate-tree --no-net '" + Prefix.Path() + "'"}) {
        Said = Output("appstreamcli " + Check + " 2>&1", &Status);
        EXPECT_EQ(Status, 0) << Said;
        EXPECT_FALSE(Contains(Said, "W: ") || Contains(Said, "E: ")) << Said;
    }
    EXPECT_TRUE(Contains(LineStarting(Metainfo, "    <release "), "version=\"" KLAVORA_VERSION "\""));

    // The manual page renders without a single warning from the formatter.
    const std::string Manual = Prefix / "share/man/man1/klavora.1";
    Said = Output("LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l '" + Manual + "' 2>&1 >/dev/null", &Status);
    EXPECT_EQ(Status, 0);
    EXPECT_EQ(Said, "");
    EXPECT_TRUE(Contains(Output("LC_ALL=C.UTF-8 MANWIDTH=80 man -l '" + Manual + "' 2>/dev/null"), "--version"));
}

namespace {

// An installation in a prefix of the test's own, with the user's
// configuration folder and a desktop whose document opener records what it
// is asked to open.
class InstalledProgramTest : public ProgramRunTest {
protected:
    void SetUp() override
    {
        ProgramRunTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        fs::create_directories(Folder / "desktop");
        Folder.Write("desktop/xdg-open", "#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" + (Folder / "opened") + "'\n");
        fs::permissions(Folder / "desktop/xdg-open", fs::perms::owner_all);
        Environment = {"XDG_CONFIG_HOME=" + Config(), "PATH=" + (Folder / "desktop") + ":" + std::getenv("PATH")};
    }

    std::string Config() const { return Folder / "config"; }
    std::string Settings(const std::string& Name) const { return Folder / ("config/klavora/" + Name); }

    // What the desktop was asked to open, once something was.
    std::string Opened() const
    {
        for (int Try = 0; Try < 100 && !fs::exists(Folder / "opened"); ++Try)
            std::this_thread::sleep_for(50ms);
        return Folder.Read("opened");
    }

    std::vector<std::string> Environment;
};

}

TEST_F(InstalledProgramTest, KeepsTheUsersFilesInTheConfigurationFolderPlaysAndOpensTheInstalledHelp)
{
    const std::string Prefix = Folder / "prefix/";
    Install(Prefix);
    ASSERT_FALSE(StartProgram(Prefix + "bin/klavora", Environment).empty()) << "no window appeared";
    EXPECT_EQ(Folder.Read("config/klavora/Setup.ini"), FreshSettingsFile);
    kill(Program, SIGTERM);
    EXPECT_EQ(Stopped(), 0);
    EXPECT_TRUE(fs::is_regular_file(Settings("Klavora.log")));
    for (const char* Place : {"bin/", "share/klavora/"})
        for (const char* Name : {"Setup.ini", "Klavora.log"})
            EXPECT_FALSE(fs::exists(Prefix + Place + Name)) << Place << Name;

    const int Position = ReceiverPosition();
    ASSERT_GE(Position, 0);
    Folder.Write("config/klavora/Setup.ini", "[MIDI Out]\nDeviceID=" + std::to_string(Position) + "\n");
    const std::string Window = StartProgram(Prefix + "bin/klavora", Environment);
    ASSERT_FALSE(Window.empty()) << "no window on the receiver's port";
    EXPECT_EQ(Receiver->Received(), (TTexts{"C0 00", "C0 00"}));
    Xdotool("key z");
    EXPECT_EQ(Receiver->Received(), (TTexts{"90 30 67", "80 30 00"}));

    // Help, Product Help: the label, then its first item, which covers it.
    Mouse(Window, Border + 29 + 14, Border + 8, "click 1");
    Mouse(Window, Border + 29 + 14, Border + 12, "click 1");
    EXPECT_EQ(Opened(), "file://" + Prefix + "share/klavora/Readme.txt\n");

    kill(Program, SIGTERM);
    EXPECT_EQ(Stopped(), 0);
    EXPECT_EQ(Folder.Read("config/klavora/Klavora.log"), "");
    EXPECT_FALSE(fs::exists(Prefix + "bin/Klavora.log"));
}

TEST_F(InstalledProgramTest, TheDebianPackageHoldsAWorkingInstallationUnderUsr)
{
    int Status = -1;
    std::string Said = Output("cpack --config '" + BuildFolder + "/CPackConfig.cmake' -B '" + (Folder / "package") +
                                  "' 2>&1",
                              &Status);
    ASSERT_EQ(Status, 0) << Said;
    std::string Package;
    for (const fs::directory_entry& Entry : fs::directory_iterator(Folder / "package"))
        if (Entry.path().extension() == ".deb")
            Package = Entry.path().string();
    ASSERT_EQ(fs::path(Package).filename().string().rfind("klavora_" KLAVORA_VERSION "_", 0), 0u) << Said;
    // The libraries it needs, as dpkg-shlibdeps found them.
    const std::string Depends = Output("dpkg-deb --field '" + Package + "' Depends");
    for (const char* Library : {"libqt6widgets6", "libfluidsynth3", "librtmidi6", "libjack"})
        EXPECT_TRUE(Contains(Depends, Library)) << Depends;

    Said = Output("dpkg-deb -x '" + Package + "' '" + (Folder / "root") + "' 2>&1", &Status);
    ASSERT_EQ(Status, 0) << Said;
    const std::string Executable = Folder / "root/usr/bin/klavora";
    EXPECT_EQ(Output("'" + Executable + "' --version"), std::string(ApplicationTitle) + " " KLAVORA_VERSION "\n");
    EXPECT_TRUE(fs::is_regular_file(Folder / ("root/usr/share/applications/" + AppId + ".desktop")));
    ASSERT_FALSE(StartProgram(Executable, Environment).empty()) << "the packaged program showed no window";
    EXPECT_EQ(Folder.Read("config/klavora/Setup.ini"), FreshSettingsFile);
    kill(Program, SIGTERM);
    EXPECT_EQ(Stopped(), 0);
}
