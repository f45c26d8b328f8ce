#include "ProgramRunFixture.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <X11/Xlib.h>

#include "ChildSanitizerReports.h"
#include "midi/LinuxMIDIOutService.h"
#include "midi/MIDIDevicesRoutines.h"
#include "support/ProgramFolderRoutines.h"

using namespace std::chrono_literals;

namespace {

// Forks a child that dies with the test program; in the child, the standard
// streams go to /dev/null unless kept.
pid_t ForkChild(bool KeepStandardStreams = false)
{
    const pid_t Parent = getpid();
    const pid_t Child = fork();
    if (Child == 0) {
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != Parent)
            _exit(1);
        if (!KeepStandardStreams) {
            const int Null = open("/dev/null", O_RDWR);
            dup2(Null, STDOUT_FILENO);
            dup2(Null, STDERR_FILENO);
        }
    }
    return Child;
}

void EndChild(pid_t Child)
{
    if (Child <= 0)
        return;
    kill(Child, SIGTERM);
    waitpid(Child, nullptr, 0);
}

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

TVirtualDisplay::TVirtualDisplay(bool WithWindowManager)
{
    int Pipe[2];
    if (pipe(Pipe) != 0)
        return;
    Server = ForkChild(true);
    if (Server == 0) {
        close(Pipe[0]);
        const std::string Fd = std::to_string(Pipe[1]);
        // Without -noreset the server resets whenever its last client leaves,
        // and a program that connects meanwhile finds no display.
        execlp("Xvfb", "Xvfb", "-displayfd", Fd.c_str(), "-nolisten", "tcp", "-noreset", "-screen", "0",
               "1280x1024x24", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(Pipe[1]);
    std::string Number;
    char Byte;
    while (read(Pipe[0], &Byte, 1) == 1 && Byte != '\n')
        Number += Byte;
    close(Pipe[0]);
    if (Number.empty())
        return;
    Name = ":" + Number;
    setenv("DISPLAY", Name.c_str(), 1);
    if (!WithWindowManager)
        return;
    WindowManager = ForkChild();
    if (WindowManager == 0) {
        execlp("openbox", "openbox", "--sm-disable", static_cast<char*>(nullptr));
        _exit(127);
    }
    // A window manager announces itself on the root window once it manages it.
    for (int Try = 0; Try < 200; ++Try) {
        if (Output("xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null").find("window id") != std::string::npos)
            return;
        std::this_thread::sleep_for(25ms);
    }
    Problem = "openbox did not take the display within 5 s";
}

TVirtualDisplay::~TVirtualDisplay()
{
    EndChild(WindowManager);
    EndChild(Server);
    unsetenv("DISPLAY");
}

void Xdotool(const std::string& Arguments)
{
    ASSERT_EQ(std::system(("xdotool " + Arguments + " >/dev/null 2>&1").c_str()), 0) << Arguments;
    std::this_thread::sleep_for(60ms);
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
    std::vector<std::string> Variables = SanitizerReportEnvironment();
    // With no session bus, Qt's accessibility asks libdbus, which forks a
    // helper from Qt's D-Bus thread; under AddressSanitizer that child can
    // hang on a lock another thread held at the fork, and the window with it.
    // A bus address that answers at once keeps the test machine's lack of a
    // desktop session out of the program's start.
    if (std::getenv("DBUS_SESSION_BUS_ADDRESS") == nullptr)
        Variables.push_back("DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent/klavora-test-bus");
    Variables.insert(Variables.end(), Environment.begin(), Environment.end());
    const pid_t Program = ForkChild(true);
    if (Program == 0) {
        unsetenv("QT_QPA_PLATFORM");
        for (const std::string& Variable : Variables) {
            const size_t Equals = Variable.find('=');
            if (Equals == std::string::npos)
                unsetenv(Variable.c_str());
            else
                setenv(Variable.substr(0, Equals).c_str(), Variable.substr(Equals + 1).c_str(), 1);
        }
        if (chdir("/") != 0)
            _exit(127);
        const int Errors = ErrorFile.empty() ? open("/dev/null", O_WRONLY)
                                             : open(ErrorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(Errors, STDERR_FILENO);
        execl(Executable.c_str(), Executable.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    return Program;
}

std::string VisibleWindow(const std::string& Name, std::chrono::milliseconds Limit)
{
    const auto Deadline = std::chrono::steady_clock::now() + Limit;
    do {
        std::string Window = Output("xdotool search --onlyvisible --name '^" + Name + "$' 2>/dev/null");
        if (!Window.empty())
            return Window.substr(0, Window.find('\n'));
        std::this_thread::sleep_for(50ms);
    } while (std::chrono::steady_clock::now() < Deadline);
    return {};
}

int Ended(pid_t& Program, std::chrono::milliseconds Limit)
{
    if (Program <= 0)
        return -1;
    const auto Deadline = std::chrono::steady_clock::now() + Limit;
    int Exit = 0;
    while (waitpid(Program, &Exit, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() >= Deadline)
            return -1;
        std::this_thread::sleep_for(20ms);
    }
    Program = -1;
    return WIFEXITED(Exit) ? WEXITSTATUS(Exit) : -1;
}

void Mouse(const std::string& Window, int X, int Y, const std::string& Action)
{
    Xdotool("mousemove --window " + Window + " " + std::to_string(X) + " " + std::to_string(Y));
    Xdotool(Action);
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
            "PULSE_SERVER=unix:/nonexistent/klavora-pulse"};
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
