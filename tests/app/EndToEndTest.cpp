#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <signal.h>

#include "JACKReceiver.h"
#include "JACKServer.h"
#include "ProgramUnderTest.h"
#include "midi/LinuxMIDIOutService.h"
#include "midi/MIDIDevicesRoutines.h"
#include "support/ProgramFolderRoutines.h"

// The real program, copied into a fresh folder with its data files, on a
// virtual X display, driven with real key and mouse events, its MIDI received
// on a JACK port of the test's own.

namespace {

using namespace std::chrono_literals;
using TTexts = std::vector<std::string>;

void Xdotool(const std::string& Arguments)
{
    ASSERT_EQ(std::system(("xdotool " + Arguments + " >/dev/null 2>&1").c_str()), 0) << Arguments;
    // Give the program and JACK's next cycle time to pass the events on.
    std::this_thread::sleep_for(60ms);
}

class EndToEndTest : public testing::Test, protected TProgramUnderTest {
protected:
    void SetUp() override
    {
        if (!JACKServerInstalled())
            GTEST_SKIP() << "jackd is not installed, so the program's MIDI cannot be received here";
        Server.emplace();
        ASSERT_TRUE(Server->Runs()) << Server->Problem;
        ASSERT_FALSE(Display.Name.empty()) << "Xvfb did not start";
        Receiver.emplace("KlavoraTest", "in");
    }

    // The program goes before the display and the JACK server it uses.
    void TearDown() override { End(); }

    // The receiver's position in the device list the program will build.
    int ReceiverPosition()
    {
        SetProgramFolder(Folder.Path());
        LinuxMIDIOutServiceStart();
        MIDIDevicesStart();
        int Position = -1;
        for (size_t Index = 0; Index < MIDIDevices.Items.size(); ++Index)
            if (MIDIDevices.Items[Index].Name == Receiver->Name)
                Position = static_cast<int>(Index);
        MIDIDevicesStop();
        LinuxMIDIOutServiceStop();
        SetProgramFolder("");
        return Position;
    }

    // Chooses the receiver as the output device, as a user would in Setup.ini,
    // and starts the program; the window's id, or empty.
    std::string StartOnTheReceiver()
    {
        const int Position = ReceiverPosition();
        if (Position < 0)
            return {};
        Folder.Write("Setup.ini", "[MIDI Out]\nDeviceID=" + std::to_string(Position) + "\n");
        return Start();
    }

    // Clicks (or presses) a button at a point of the window's client area.
    void Mouse(const std::string& Window, int X, int Y, const std::string& Action)
    {
        Xdotool("mousemove --window " + Window + " " + std::to_string(X) + " " + std::to_string(Y));
        Xdotool(Action);
    }

    std::optional<TJACKServer> Server;
    TVirtualDisplay Display;
    std::optional<TReceiver> Receiver;
};

// Where the window's controls are, from their tabled geometry and the 5-pixel border.
constexpr int Border = 5;
constexpr int PianoTop = Border + 56 + 16;
int WhiteKeyCentre(int WhiteIndex) { return Border + 120 + 8 + 24 * WhiteIndex + 12; }

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
    EXPECT_EQ(Folder.Read("Setup.ini"),
              "[Keyboard]\nAccent=0\nSoft=0\nChannel=1\nGroup=0\nVoice=0\nOctave=4\nFade=0\nVolume=103\n"
              "Map=Tracker\nSustain=0\n[MIDI Out]\nDeviceID=0\n[Mouse]\nOctave=4\n[Config]\nPatch=GeneralMIDI.ini\n");
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
