#include "ProgramRunFixture.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>

#include <signal.h>
#include <sys/wait.h>

#include <X11/Xlib.h>

#include "ChildSanitizerReports.h"
#include "midi/LinuxMIDIOutService.h"
#include "midi/MIDIDevicesRoutines.h"
#include "support/ProgramFolderRoutines.h"

namespace {

// The name of a window, or of the window its frame holds.
std::string FrameName(Display* Connection, ::Window Frame)
{
    std::string Text;
    char* Name = nullptr;
    if (XFetchName(Connection, Frame, &Name) != 0 && Name != nullptr)
        Text = Name;
    XFree(Name);
    ::Window Root = 0;
    ::Window Parent = 0;
    ::Window* Children = nullptr;
    unsigned Count = 0;
    if (XQueryTree(Connection, Frame, &Root, &Parent, &Children, &Count) != 0)
        for (unsigned Index = 0; Index < Count && Text.empty(); ++Index)
            Text = FrameName(Connection, Children[Index]);
    XFree(Children);
    return Text;
}

}

void ProgramRunTest::SetUp()
{
    if (!JACKServerInstalled())
        GTEST_SKIP() << "jackd is not installed, so the program's MIDI cannot be received here";
    Server.emplace();
    ASSERT_TRUE(Server->Runs()) << Server->Problem;
    ASSERT_FALSE(Display.Name.empty()) << "Xvfb did not start";
    Receiver.emplace("KlavoraTest", "in");
}

void ProgramRunTest::TearDown()
{
    if (Program > 0) {
        kill(Program, SIGKILL);
        waitpid(Program, nullptr, 0);
    }
}

int ProgramRunTest::ReceiverPosition()
{
    // A folder without a SoundFont: the program's own lists the same devices.
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

std::string ProgramRunTest::StartProgram(const std::string& Executable, const std::vector<std::string>& Environment)
{
    Program = StartExecutable(Executable, Environment);
    const std::string Window = VisibleWindow(MainWindowName);
    if (!Window.empty())
        Xdotool("windowfocus --sync " + Window);
    return Window;
}

void CopyProgram(const std::string& Folder)
{
    for (const char* Name : {"klavora", "Keyboard.ini", "GeneralMIDI.ini", "Readme.txt"})
        std::filesystem::copy_file(std::string(KLAVORA_PROGRAM_DIR) + "/" + Name, Folder + Name);
}

pid_t StartExecutable(const std::string& Executable, const std::vector<std::string>& Environment,
                      const std::string& ErrorFile)
{
    std::vector<std::string> Variables{"QT_QPA_PLATFORM"};
    const std::vector<std::string> Reports = SanitizerReportEnvironment();
    Variables.insert(Variables.end(), Reports.begin(), Reports.end());
    // With no session bus, Qt's accessibility asks libdbus, which forks a
    // helper from Qt's D-Bus thread; under AddressSanitizer that child can
    // hang on a lock another thread held at the fork, and the window with it.
    // A bus address that answers at once keeps the test machine's lack of a
    // desktop session out of the program's start.
    if (std::getenv("DBUS_SESSION_BUS_ADDRESS") == nullptr)
        Variables.push_back("DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent/klavora-test-bus");
    Variables.insert(Variables.end(), Environment.begin(), Environment.end());
    return StartProcess({Executable}, Variables, ErrorFile);
}

bool OnTopAndUncovered(const std::string& Window, std::string& Why)
{
    Display* Connection = XOpenDisplay(nullptr);
    if (Connection == nullptr) {
        Why = "the display cannot be opened";
        return false;
    }
    const ::Window Root = DefaultRootWindow(Connection);
    // A window manager puts each window in a frame: the root's child that holds it.
    ::Window Frame = std::stoul(Window);
    for (;;) {
        ::Window FrameRoot = 0;
        ::Window Parent = 0;
        ::Window* Children = nullptr;
        unsigned Count = 0;
        if (XQueryTree(Connection, Frame, &FrameRoot, &Parent, &Children, &Count) == 0)
            break;
        XFree(Children);
        if (Parent == Root || Parent == 0)
            break;
        Frame = Parent;
    }
    ::Window TreeRoot = 0;
    ::Window Parent = 0;
    ::Window* Children = nullptr;
    unsigned Count = 0;
    XQueryTree(Connection, Root, &TreeRoot, &Parent, &Children, &Count);
    // The children come bottom first: every viewable one after the frame lies above it.
    XWindowAttributes Place{};
    XGetWindowAttributes(Connection, Frame, &Place);
    bool FrameSeen = false;
    for (unsigned Index = 0; Index < Count && Why.empty(); ++Index) {
        if (Children[Index] == Frame) {
            FrameSeen = true;
            continue;
        }
        XWindowAttributes Other{};
        if (!FrameSeen || XGetWindowAttributes(Connection, Children[Index], &Other) == 0 || Other.map_state != IsViewable)
            continue;
        const bool Apart = Other.x >= Place.x + Place.width || Place.x >= Other.x + Other.width ||
                           Other.y >= Place.y + Place.height || Place.y >= Other.y + Other.height;
        if (!Apart)
            Why = "covered by \"" + FrameName(Connection, Children[Index]) + "\"";
    }
    if (!FrameSeen)
        Why = "the window is not on the display";
    XFree(Children);
    XCloseDisplay(Connection);
    return Why.empty();
}

std::vector<std::string> NoSoundSystem()
{
    return {"JACK_DEFAULT_SERVER=klavora-absent-" + std::to_string(getpid()),
            "PULSE_SERVER=unix:/nonexistent/klavora-pulse", "PIPEWIRE_RUNTIME_DIR=/nonexistent/klavora-pipewire"};
}

TProgramRun::TProgramRun()
{
    CopyProgram(Folder.Path());
}

TProgramRun::~TProgramRun()
{
    if (Program > 0) {
        kill(Program, SIGKILL);
        waitpid(Program, nullptr, 0);
    }
}

void TProgramRun::Start(const std::vector<std::string>& Environment)
{
    Program = StartExecutable(Folder / "klavora", Environment, Folder / "stderr.txt");
}

void TProgramRun::Signal(int Number) const
{
    if (Program > 0)
        kill(Program, Number);
}
