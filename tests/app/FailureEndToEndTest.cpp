#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include <signal.h>

#include "ProgramRunFixture.h"
#include "app/DisplayOpeningRoutines.h"

// The real program where something it needs is missing: a display, a sound
// system, a readable key map, a writable settings file.

namespace {

// A display name that no X server answers to.
std::string AbsentDisplay()
{
    for (int Number = 4000;; ++Number)
        if (!std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(Number)) &&
            !std::filesystem::exists("/tmp/.X" + std::to_string(Number) + "-lock"))
            return ":" + std::to_string(Number);
}

}

TEST(NoDisplayTest, WithoutAnyDisplayOrWithAnAbsentOneTheProgramSaysSoOnOneLineAndEndsWithCodeOne)
{
    const std::string Absent = AbsentDisplay();
    for (const std::string& Display : {std::string(), Absent}) {
        SCOPED_TRACE("DISPLAY=" + Display);
        TProgramRun Run;
        Run.Start({Display.empty() ? "DISPLAY" : "DISPLAY=" + Display, "WAYLAND_DISPLAY", "XDG_SESSION_TYPE"});
        EXPECT_EQ(Run.Stopped(), 1);
        EXPECT_EQ(Run.StandardError(), std::string(NoDisplayMessage) + "\n");
    }
}

namespace {

using namespace std::chrono_literals;

// The program with no sound system to play on, under a window manager: its
// output fails to open at start, and every message fails to go out.
class WithoutSoundTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(Display.Name.empty()) << "Xvfb did not start";
        ASSERT_TRUE(Display.Problem.empty()) << Display.Problem;
    }

    // Dismisses the error box that is up, or that shows within Limit, with
    // the Enter key, as a user would; whether there was one.
    bool DismissBox(std::chrono::milliseconds Limit = 5s)
    {
        const std::string Box = VisibleWindow(ErrorBoxName, Limit);
        if (Box.empty())
            return false;
        Xdotool("windowactivate --sync " + Box + " key Return");
        while (Output("xdotool search --onlyvisible --name '^" + std::string(ErrorBoxName) + "$' 2>/dev/null")
                   .find(Box) != std::string::npos)
            std::this_thread::sleep_for(20ms);
        return true;
    }

    // Starts the program and dismisses the boxes of the output that failed
    // to open and of the program changes that failed to go out; the main
    // window's id, or empty.
    std::string StartPastTheFailedOpen()
    {
        Run.Start(NoSoundSystem());
        EXPECT_TRUE(DismissBox()) << "no box for the output that failed to open";
        std::string Window;
        for (int Box = 0; Box < 5 && Window.empty(); ++Box) {
            Window = VisibleWindow(MainWindowName, 1s);
            if (Window.empty())
                DismissBox(1s);
        }
        if (!Window.empty())
            Xdotool("windowactivate --sync " + Window);
        return Window;
    }

    TVirtualDisplay Display{true};
    TProgramRun Run;
};

constexpr const char* NotOpenLine = "Application Error: Device is not opended.";

}

TEST_F(WithoutSoundTest, AKeyOrButtonReleasedWhileItsBoxIsUpEndsItsNote)
{
    const std::string Window = StartPastTheFailedOpen();
    ASSERT_FALSE(Window.empty());

    // The Note On fails; the release comes while its box is up, and its Note
    // Off fails in turn once the box is gone.
    Xdotool("keydown z");
    ASSERT_FALSE(VisibleWindow(ErrorBoxName).empty());
    Xdotool("keyup z");
    EXPECT_TRUE(DismissBox());
    EXPECT_TRUE(DismissBox()) << "the key's release did not end its note";

    Mouse(Window, WhiteKeyCentre(3), PianoTop + 70, "mousedown 1");
    ASSERT_FALSE(VisibleWindow(ErrorBoxName).empty());
    Xdotool("mouseup 1");
    EXPECT_TRUE(DismissBox());
    EXPECT_TRUE(DismissBox()) << "the button's release did not end its note";
    EXPECT_FALSE(DismissBox(500ms));

    // Nothing is left sounding: the stop sends nothing, so nothing fails.
    Run.Signal(SIGTERM);
    EXPECT_EQ(Run.Stopped(2s), 0);
    EXPECT_EQ(Run.StandardError().find(NotOpenLine), std::string::npos) << Run.StandardError();
}

TEST_F(WithoutSoundTest, AStopSignalClosesTheBoxThatIsUpAndTheStopReportsOnTheErrorStream)
{
    Run.Folder.Write("Klavora.log", "left by an earlier run\r\n");
    ASSERT_FALSE(StartPastTheFailedOpen().empty());
    Xdotool("keydown z");
    ASSERT_FALSE(VisibleWindow(ErrorBoxName).empty());
    Run.Signal(SIGTERM);
    EXPECT_EQ(Run.Stopped(2s), 0);
    Xdotool("keyup z");
    // The key still down gets its Note Off at the stop, which fails.
    EXPECT_NE(Run.StandardError().find(NotOpenLine), std::string::npos) << Run.StandardError();
    EXPECT_EQ(Run.Folder.Read("Klavora.log"), "");
}

TEST_F(WithoutSoundTest, AStopSignalDuringAStartUpBoxStopsTheModulesAndWritesTheLog)
{
    struct TCase {
        const char* Trouble;
        int Signal;
    };
    for (const TCase& Case : {TCase{"a corrupted key map", SIGINT}, TCase{"a settings file that cannot be written", SIGHUP}}) {
        SCOPED_TRACE(Case.Trouble);
        TProgramRun Broken;
        if (Case.Signal == SIGINT)
            Broken.Folder.Write("Keyboard.ini", "[Other]\n90=0\n");
        else
            std::filesystem::create_directory(Broken.Folder / "Setup.ini.tmp");
        Broken.Folder.Write("Klavora.log", "left by an earlier run\r\n");
        Broken.Start(NoSoundSystem());
        ASSERT_FALSE(VisibleWindow(ErrorBoxName).empty());
        Broken.Signal(Case.Signal);
        EXPECT_EQ(Broken.Stopped(2s), 0);
        EXPECT_EQ(Broken.Folder.Read("Klavora.log"), "");
    }
}

TEST_F(WithoutSoundTest, EveryStartUpBoxStandsOnTopUncovered)
{
    Run.Start(NoSoundSystem());
    int Boxes = 0;
    while (VisibleWindow(MainWindowName, 100ms).empty() && Boxes < 5) {
        const std::string Box = VisibleWindow(ErrorBoxName, 5s);
        ASSERT_FALSE(Box.empty()) << "neither a box nor the window showed";
        ++Boxes;
        std::string Why;
        EXPECT_TRUE(OnTopAndUncovered(Box, Why)) << "box " << Boxes << ": " << Why;
        ASSERT_TRUE(DismissBox());
    }
    EXPECT_GE(Boxes, 1);
}
