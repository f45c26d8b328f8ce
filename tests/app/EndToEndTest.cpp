#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include <signal.h>

#include "ProgramRunFixture.h"

// The real program, copied into a fresh folder with its data files, on a
// virtual X display, driven with real key and mouse events, its MIDI received
// on a JACK port of the test's own.

namespace {

using namespace std::chrono_literals;
using TTexts = std::vector<std::string>;

bool EveryNoteEnded(const TTexts& Messages)
{
    int Sounding = 0;
    for (const std::string& Message : Messages) {
        if (Message.rfind("90 ", 0) == 0)
            ++Sounding;
        if (Message.rfind("80 ", 0) == 0)
            --Sounding;
    }
    return Sounding == 0;
}

}

TEST_F(EndToEndTest, AFirstStartWritesTheFreshSettingsFileAndAStopLeavesAnEmptyLog)
{
    Folder.Write("Klavora.log", "left by an earlier run\r\n");
    ASSERT_FALSE(Start().empty()) << "no window appeared";
    EXPECT_EQ(Folder.Read("Setup.ini"), FreshSettingsFile);
    kill(Program, SIGTERM);
    EXPECT_EQ(Stopped(), 0);
    EXPECT_TRUE(std::filesystem::exists(Folder / "Klavora.log"));
    EXPECT_EQ(Folder.Read("Klavora.log"), "");
}

TEST_F(EndToEndTest, KeysAndMousePlayOnTheChosenPortAndFileExitEndsEveryNote)
{
    const std::string Window = StartOnTheReceiver();
    ASSERT_FALSE(Window.empty()) << "no window on the receiver's port";
    // Opening the port sends the program change, and applying the channel sends it again.
    EXPECT_EQ(Receiver->Received(), (TTexts{"C0 00", "C0 00"}));

    Xdotool("key z");
    EXPECT_EQ(Receiver->Received(), (TTexts{"90 30 67", "80 30 00"}));

    // Shift at the release keeps the note sounding until the space bar.
    Xdotool("keydown z keydown shift keyup z keyup shift");
    EXPECT_EQ(Receiver->Received(), TTexts{"90 30 67"});
    Xdotool("key space");
    EXPECT_EQ(Receiver->Received(), TTexts{"80 30 00"});

    // Piano0 with the left button held, then a right press on another key: two notes.
    Mouse(Window, WhiteKeyCentre(0), PianoTop + 70, "mousedown 1");
    Mouse(Window, WhiteKeyCentre(2), PianoTop + 70, "mousedown 3");
    EXPECT_EQ(Receiver->Received(), (TTexts{"90 30 67", "90 34 67"}));
    Xdotool("mouseup 3");
    EXPECT_EQ(Receiver->Received(), TTexts{"80 34 00"});
    Xdotool("mouseup 1");
    EXPECT_EQ(Receiver->Received(), TTexts{"80 30 00"});

    // A key still down when File -> Exit is chosen gets its Note Off.
    Xdotool("keydown x");
    EXPECT_EQ(Receiver->Received(), TTexts{"90 32 67"});
    Mouse(Window, Border + 14, Border + 8, "click 1");
    EXPECT_EQ(Receiver->Received(), TTexts{"80 32 00"});
    Mouse(Window, Border + 14, Border + 12, "click 1");
    EXPECT_EQ(Stopped(), 0);
    Xdotool("keyup x");
    EXPECT_TRUE(Receiver->Received().empty());
    EXPECT_EQ(Folder.Read("Klavora.log"), "");
}

TEST_F(EndToEndTest, ATerminationSignalEndsEveryNoteStillSounding)
{
    const std::string Window = StartOnTheReceiver();
    ASSERT_FALSE(Window.empty()) << "no window on the receiver's port";
    Receiver->Received();

    Xdotool("keydown z keydown x");
    Mouse(Window, WhiteKeyCentre(4), PianoTop + 70, "mousedown 1");
    Xdotool("keydown shift keyup x keyup shift");
    const TTexts Playing = Receiver->Received();
    EXPECT_EQ(Playing, (TTexts{"90 30 67", "90 32 67", "90 37 67"}));
    kill(Program, SIGTERM);
    EXPECT_EQ(Stopped(), 0);
    TTexts Everything = Playing;
    const TTexts Ending = Receiver->Received();
    Everything.insert(Everything.end(), Ending.begin(), Ending.end());
    EXPECT_EQ(Ending.size(), 3u);
    EXPECT_TRUE(EveryNoteEnded(Everything));
    Xdotool("keyup z mouseup 1");
    EXPECT_EQ(Folder.Read("Klavora.log"), "");
}

namespace {

// Busy loops on every core, as a loaded machine has them, while it lives.
class TBusyCores {
public:
    TBusyCores()
    {
        for (unsigned Core = 0; Core < std::max(2u, std::thread::hardware_concurrency()); ++Core)
            Loops.emplace_back([this] {
                while (!Done.load(std::memory_order_relaxed)) {
                }
            });
    }

    ~TBusyCores()
    {
        Done = true;
        for (std::thread& Loop : Loops)
            Loop.join();
    }

private:
    std::atomic<bool> Done{false};
    std::vector<std::thread> Loops;
};

}

TEST_F(EndToEndTest, AKeyHeldOnABusyMachineSendsOneNoteOnUntilItsRelease)
{
    const std::string Window = StartOnTheReceiver();
    ASSERT_FALSE(Window.empty()) << "no window on the receiver's port";
    Receiver->Received();
    // The X server repeats a held key quickly, as desktops set it.
    ASSERT_EQ(std::system("xset r on r rate 250 40"), 0);
    TBusyCores Busy;
    for (int Round = 1; Round <= 5; ++Round) {
        Xdotool("keydown z");
        std::this_thread::sleep_for(3s);
        Xdotool("keyup z");
        EXPECT_EQ(Receiver->Received(), (TTexts{"90 30 67", "80 30 00"})) << "round " << Round;
    }
}

TEST_F(EndToEndTest, AJACKServerThatDiedLeavesAChangeOfDeviceAndTheStopUnharmed)
{
    Folder.Write("Klavora.log", "left by an earlier run\r\n");
    const std::string Window = StartOnTheReceiver();
    ASSERT_FALSE(Window.empty()) << "no window on the receiver's port";
    Xdotool("key z");
    EXPECT_EQ(Receiver->Received(), (TTexts{"C0 00", "C0 00", "90 30 67", "80 30 00"}));
    // The test's own receiver goes while its server still runs.
    Receiver.reset();
    if (!Server->Kill())
        GTEST_SKIP() << "the JACK server is not the test's own to stop";

    // The device list's first entry, picked from its drop-down list.
    Mouse(Window, Border + 8 + 60, Border + 16 + 15 + 10, "click 1");
    Xdotool("key Home Return");
    kill(Program, SIGTERM);
    EXPECT_EQ(Stopped(), 0);
    EXPECT_EQ(Folder.Read("Klavora.log"), "");
}

// FluidSynth, and the many libraries it brings, load for the synthesizer only.
TEST_F(EndToEndTest, FluidSynthLoadsOnlyWhenTheStoredDeviceOpensTheSynthesizer)
{
    const auto LoadsFluidSynth = [this] {
        std::ifstream Maps("/proc/" + std::to_string(Program) + "/maps");
        const std::string Text((std::istreambuf_iterator<char>(Maps)), std::istreambuf_iterator<char>());
        return Text.find("libfluidsynth") != std::string::npos;
    };
    ASSERT_FALSE(StartOnTheReceiver().empty()) << "no window appeared";
    EXPECT_FALSE(LoadsFluidSynth());
    kill(Program, SIGTERM);
    EXPECT_EQ(Stopped(), 0);

    Folder.Write("Setup.ini", "[MIDI Out]\nDeviceID=0\n");
    ASSERT_FALSE(Start().empty()) << "no window appeared";
    EXPECT_TRUE(LoadsFluidSynth());
    kill(Program, SIGTERM);
    EXPECT_EQ(Stopped(), 0);
}
