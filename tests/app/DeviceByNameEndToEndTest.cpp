#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <signal.h>

#include "ProgramRunFixture.h"

// The real program remembers the chosen output port by name and follows the
// JACK server's ports while it runs.

namespace {

using namespace std::chrono_literals;
using TTexts = std::vector<std::string>;

class DeviceByNameTest : public EndToEndTest {
protected:
    void Stop()
    {
        kill(Program, SIGTERM);
        EXPECT_EQ(Stopped(), 0);
    }

    // Opens the device list with the mouse and picks an entry with the keys.
    void ChooseDevice(const std::string& Window, const std::string& Keys)
    {
        Mouse(Window, Border + 8 + 64, Border + 16 + 15 + 10, "click 1");
        std::this_thread::sleep_for(200ms);
        Xdotool("key " + Keys);
    }

    std::string Setting(const std::string& Key)
    {
        const std::string Text = Folder.Read("Setup.ini");
        const size_t At = Text.find("\n" + Key + "=");
        if (At == std::string::npos)
            return {};
        const size_t Start = At + Key.size() + 2;
        return Text.substr(Start, Text.find('\n', Start) - Start);
    }

    static bool AnyBoxShows()
    {
        return !Output("xdotool search --onlyvisible --name '^Application Error$' 2>/dev/null").empty();
    }

    // Other receivers, registered after the fixture's own ("KlavoraTest:in").
    std::optional<TReceiver> A, B, C;
};

}

TEST_F(DeviceByNameTest, TheChosenPortIsFoundByNameAfterOthersCameAndWentAndAwaitedWhileItIsAway)
{
    A.emplace("KlavoraA", "in");
    B.emplace("KlavoraB", "in");
    C.emplace("KlavoraC", "in");
    std::string Window = Start();
    ASSERT_FALSE(Window.empty()) << "no window appeared";
    // The mapper, the synthesizer, then JACK's ports in the order they came.
    ChooseDevice(Window, "Home Down Down Down Down Return");
    EXPECT_EQ(Setting("DeviceName"), "KlavoraB:in");
    const std::string Chosen = Setting("DeviceID");
    Stop();

    // A leaves; C takes B's old place in the list.
    A.reset();
    B->Received();
    Window = Start();
    ASSERT_FALSE(Window.empty()) << "no window appeared";
    EXPECT_FALSE(AnyBoxShows());
    EXPECT_EQ(std::stoi(Setting("DeviceID")), std::stoi(Chosen) - 1);
    Xdotool("key z");
    EXPECT_EQ(B->Received(), (TTexts{"C0 00", "C0 00", "90 30 67", "80 30 00"}));
    EXPECT_TRUE(C->Received().empty());
    Stop();

    // B is away at the start: one box, and nothing plays elsewhere.
    B.reset();
    Program = StartExecutable(Folder / "klavora");
    const std::string Box = VisibleWindow(ErrorBoxName);
    ASSERT_FALSE(Box.empty()) << "no box said that the port is away";
    Xdotool("windowfocus --sync " + Box + " key Return");
    Window = VisibleWindow(MainWindowName);
    ASSERT_FALSE(Window.empty()) << "no window appeared";
    Xdotool("windowfocus --sync " + Window);
    EXPECT_FALSE(AnyBoxShows());
    Xdotool("key z");
    EXPECT_TRUE(C->Received().empty());
    EXPECT_TRUE(Receiver->Received().empty());

    // B comes back: the server says so, and the next notes reach it.
    B.emplace("KlavoraB", "in");
    std::this_thread::sleep_for(500ms);
    Xdotool("key z");
    EXPECT_EQ(B->Received(), (TTexts{"C0 00", "90 30 67", "80 30 00"}));
    EXPECT_EQ(Setting("DeviceName"), "KlavoraB:in");
    EXPECT_FALSE(AnyBoxShows());
    Stop();
}

TEST_F(DeviceByNameTest, APortThatComesWhileTheProgramRunsIsListedAndOneThatGoesLeavesTheList)
{
    const std::string Window = Start();
    ASSERT_FALSE(Window.empty()) << "no window appeared";
    A.emplace("KlavoraA", "in");
    std::this_thread::sleep_for(300ms);
    // The last entry of the list read again as it opens.
    ChooseDevice(Window, "End Return");
    EXPECT_EQ(Setting("DeviceName"), "KlavoraA:in");
    Xdotool("key z");
    EXPECT_EQ(A->Received(), (TTexts{"C0 00", "90 30 67", "80 30 00"}));

    // The fixture's receiver goes: the list's last entry is A again, the one before it the synthesizer.
    Receiver.reset();
    std::this_thread::sleep_for(300ms);
    ChooseDevice(Window, "End Up Return");
    EXPECT_EQ(Setting("DeviceName"), "Klavora Synthesizer");
    ChooseDevice(Window, "End Return");
    EXPECT_EQ(Setting("DeviceName"), "KlavoraA:in");
    EXPECT_FALSE(AnyBoxShows());
    Stop();
}
