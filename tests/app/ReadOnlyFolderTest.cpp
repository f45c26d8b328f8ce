#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <unistd.h>

#include "ProgramRunFixture.h"

// The program in a folder nobody may write to (a copy on a read-only medium):
// it plays at the settings stored there and says nothing while it plays.

namespace {

namespace fs = std::filesystem;
using TTexts = std::vector<std::string>;

// A small file system of its own at Folder, visible to this process and its
// children only, removed when the value goes.
class TPrivateMount {
public:
    explicit TPrivateMount(const std::string& Folder)
        : Folder(Folder)
    {
        // A mount namespace of our own: nothing mounted here reaches the machine.
        Mounted = unshare(CLONE_NEWNS) == 0 && mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
                  fs::create_directory(Folder) && mount("tmpfs", Folder.c_str(), "tmpfs", 0, "size=64m") == 0;
    }
    ~TPrivateMount()
    {
        if (Mounted)
            umount2(Folder.c_str(), MNT_DETACH);
    }
    TPrivateMount(const TPrivateMount&) = delete;
    TPrivateMount& operator=(const TPrivateMount&) = delete;

    bool MakeReadOnly() const
    {
        return mount(nullptr, Folder.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    }

    bool Mounted = false;

private:
    std::string Folder;
};

}

TEST_F(ProgramRunTest, InAReadOnlyFolderKeysPlayAtTheStoredSettingsAndOnlyAChangeIsReported)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "NOT TESTED: mounting a read-only folder needs root; run the tests as root to check a "
                        "program in a read-only folder";
    const int Position = ReceiverPosition();
    ASSERT_GE(Position, 0);
    const std::string Copy = Folder / "program/";
    const TPrivateMount Medium(Copy);
    ASSERT_TRUE(Medium.Mounted) << "no tmpfs could be mounted";
    CopyProgram(Copy);
    // Settings a run left there: channel 3, octave 5, Note On velocity 80, Note Off velocity 10.
    const std::string Stored = "[Keyboard]\nAccent=0\nSoft=0\nChannel=3\nGroup=0\nVoice=0\nOctave=5\nFade=10\n"
                               "Volume=80\nMap=Tracker\nSustain=0\n[MIDI Out]\nDeviceID=" +
                               std::to_string(Position) + "\n[Mouse]\nOctave=4\n[Config]\nPatch=GeneralMIDI.ini\n";
    Folder.Write("program/Setup.ini", Stored);
    ASSERT_TRUE(Medium.MakeReadOnly());
    const int Written = open((Copy + "Written").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    ASSERT_LT(Written, 0) << "the folder is still writable";

    ASSERT_FALSE(StartProgram(Copy + "klavora").empty()) << "no window appeared";
    EXPECT_EQ(Receiver->Received(), (TTexts{"C2 00", "C2 00"}));
    Xdotool("key z");
    Xdotool("key x");
    EXPECT_EQ(Receiver->Received(), (TTexts{"92 3C 50", "82 3C 0A", "92 3E 50", "82 3E 0A"}));
    EXPECT_EQ(Output("xdotool search --name '^Application Error$' 2>/dev/null"), "") << "a box was shown";

    // A change the user makes cannot be kept: one box says so, and the keys
    // go on at the settings in force.
    const std::string Window = Output("xdotool search --onlyvisible --name '^Klavora Lite v2.9$'");
    Mouse(Window.substr(0, Window.find('\n')), Border + 32 + 12, Border + 136 + 16 + 12, "click 1");
    std::string Boxes;
    for (int Try = 0; Try < 40 && Boxes.empty(); ++Try)
        Boxes = Output("xdotool search --onlyvisible --name '^Application Error$' 2>/dev/null");
    EXPECT_EQ(std::count(Boxes.begin(), Boxes.end(), '\n'), 1) << Boxes;
    Xdotool("key Return");
    EXPECT_EQ(Output("xdotool search --onlyvisible --name '^Application Error$' 2>/dev/null"), "");
    Xdotool("key z");
    EXPECT_EQ(Receiver->Received(), (TTexts{"92 3C 50", "82 3C 0A"}));

    kill(Program, SIGTERM);
    EXPECT_EQ(Stopped(), 0);
    EXPECT_EQ(Folder.Read("program/Setup.ini"), Stored);
}
