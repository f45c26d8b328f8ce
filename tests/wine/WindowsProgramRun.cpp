#include "WindowsProgramRun.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>

#include <signal.h>
#include <sys/wait.h>

#include "ChildProcess.h"
#include "CommandOutput.h"
#include "VirtualDisplay.h"
#include "WineDesktop.h"

using namespace std::chrono_literals;

namespace {

// Where a control stands in the window's client area: its place within its
// parents, and the window's border.
TRect ClientPlace(TFormControl Control)
{
    TRect Place = PlaceOf(Control).Place;
    for (TFormControl Parent = PlaceOf(Control).Parent; Parent != TFormControl::None;
         Parent = PlaceOf(Parent).Parent) {
        Place.Left += PlaceOf(Parent).Place.Left;
        Place.Top += PlaceOf(Parent).Place.Top;
    }
    Place.Left += WindowBorderWidth;
    Place.Top += WindowBorderWidth;
    return Place;
}

struct TGeometry {
    int X = 0;
    int Y = 0;
    int Width = 0;
    int Height = 0;
};

// The X window's place on the screen and size.
TGeometry GeometryOf(const std::string& Window)
{
    std::istringstream Lines(Output("xdotool getwindowgeometry --shell " + Window + " 2>/dev/null"));
    TGeometry Geometry;
    for (std::string Line; std::getline(Lines, Line);) {
        const size_t Equals = Line.find('=');
        if (Equals == std::string::npos)
            continue;
        const std::string Name = Line.substr(0, Equals);
        const int Value = std::atoi(Line.c_str() + Equals + 1);
        if (Name == "X")
            Geometry.X = Value;
        else if (Name == "Y")
            Geometry.Y = Value;
        else if (Name == "WIDTH")
            Geometry.Width = Value;
        else if (Name == "HEIGHT")
            Geometry.Height = Value;
    }
    return Geometry;
}

// The drop-down list that shows with its top left corner at (Left, Top) of
// the screen, give or take a frame; empty while none does.
std::string DroppedListAt(int Left, int Top)
{
    std::istringstream Lines(Output("xdotool search --onlyvisible --class 'klavora\\.exe' 2>/dev/null"));
    for (std::string Id; std::getline(Lines, Id);) {
        const TGeometry Geometry = GeometryOf(Id);
        if (std::abs(Geometry.X - Left) <= 2 && std::abs(Geometry.Y - Top) <= 4 && Geometry.Height > 1)
            return Id;
    }
    return {};
}

}

TTexts TMIDILog::Received(size_t Expected)
{
    // The lines expected, then nothing more for a while.
    const auto Deadline = std::chrono::steady_clock::now() + 5s;
    std::string Text;
    auto QuietSince = std::chrono::steady_clock::now();
    for (;;) {
        std::ifstream Stream(File, std::ios::binary);
        Stream.seekg(static_cast<std::streamoff>(Read));
        const std::string Now((std::istreambuf_iterator<char>(Stream)), std::istreambuf_iterator<char>());
        if (Now != Text) {
            Text = Now;
            QuietSince = std::chrono::steady_clock::now();
        }
        const auto Lines = static_cast<size_t>(std::count(Text.begin(), Text.end(), '\n'));
        const bool Quiet = std::chrono::steady_clock::now() - QuietSince >= 200ms;
        if ((Lines >= Expected && Quiet) || std::chrono::steady_clock::now() >= Deadline)
            break;
        std::this_thread::sleep_for(20ms);
    }
    TTexts Lines;
    std::istringstream Stream(Text);
    // A line not ended yet is the next call's.
    for (std::string Line; std::getline(Stream, Line) && !Stream.eof();) {
        Read += Line.size() + 1;
        Lines.push_back(Line.substr(Line.find(' ') + 1));
    }
    return Lines;
}

void WindowsProgramTest::SetUp()
{
    ASSERT_EQ(TWineDesktop::Problem, "");
}

void WindowsProgramTest::TearDown()
{
    if (Program > 0) {
        kill(Program, SIGKILL);
        waitpid(Program, nullptr, 0);
    }
}

void WindowsProgramTest::CopyProgram(bool WithStandIn)
{
    const std::string Build = WindowsBuildFolder() + "/";
    for (const char* Name : {"klavora.exe", "Keyboard.ini", "GeneralMIDI.ini", "Readme.txt"})
        std::filesystem::copy_file(Build + Name, Folder / Name);
    if (WithStandIn)
        std::filesystem::copy_file(Build + "winmm-stand-in/winmm.dll", Folder / "winmm.dll");
}

void WindowsProgramTest::Start(const std::vector<std::string>& Environment, const std::string& Executable)
{
    std::vector<std::string> Variables = WineEnvironment({"WINMM_STAND_IN_LOG=" + WindowsFileName(Folder / "midi.log")});
    Variables.insert(Variables.end(), Environment.begin(), Environment.end());
    Program = StartProcess({"wine", Executable.empty() ? Folder / "klavora.exe" : Executable}, Variables,
                           Folder / "stderr.txt");
}

std::string WindowsProgramTest::MainWindow()
{
    Window = VisibleWindow(MainWindowName, 15s);
    if (Window.empty())
        return {};
    const TGeometry Geometry = GeometryOf(Window);
    ClientX = (Geometry.Width - FormClientWidth) / 2;
    ClientY = Geometry.Height - FormClientHeight - ClientX;
    Xdotool("windowfocus --sync " + Window);
    return Window;
}

void WindowsProgramTest::AtControl(TFormControl Control, int X, int Y, const std::string& Action)
{
    const TRect Place = ClientPlace(Control);
    Mouse(Window, ClientX + Place.Left + X, ClientY + Place.Top + Y, Action);
}

void WindowsProgramTest::AtControlCentre(TFormControl Control, const std::string& Action)
{
    const TRect Place = ClientPlace(Control);
    AtControl(Control, Place.Width / 2, Place.Height / 2, Action);
}

void WindowsProgramTest::ChooseFromList(TFormControl List, int Index, int Count)
{
    const TGeometry Main = GeometryOf(Window);
    const TRect Place = ClientPlace(List);
    const int Left = Main.X + ClientX + Place.Left;
    const int Bottom = Main.Y + ClientY + Place.Top + Place.Height;
    // Under Wine a click that comes while the window is still being activated
    // may leave the list closed; a user clicks again.
    std::string DropDown;
    for (int Click = 0; Click < 3 && DropDown.empty(); ++Click) {
        AtControlCentre(List, "click 1");
        for (int Try = 0; Try < 20 && DropDown.empty(); ++Try) {
            std::this_thread::sleep_for(50ms);
            DropDown = DroppedListAt(Left, Bottom);
        }
    }
    ASSERT_FALSE(DropDown.empty()) << "the list did not drop down";
    // The program's drop-down lists show eight items at most, the first ones
    // first, one below the other inside a one-pixel frame.
    const TGeometry Geometry = GeometryOf(DropDown);
    const int ItemHeight = (Geometry.Height - 2) / std::min(Count, 8);
    ASSERT_GT(ItemHeight, 0);
    ASSERT_LT(Index, 8);
    Mouse(DropDown, Geometry.Width / 2, 1 + ItemHeight * Index + ItemHeight / 2, "click 1");
}

int WindowsProgramTest::CloseWithAltF4()
{
    Xdotool("windowfocus --sync " + Window);
    Xdotool("key alt+F4");
    return Stopped();
}

int WindowsProgramTest::Stopped(std::chrono::milliseconds Limit)
{
    return Ended(Program, Limit);
}

std::string WindowsProgramTest::Setting(const std::string& Key) const
{
    std::istringstream Lines(Folder.Read("Setup.ini"));
    for (std::string Line; std::getline(Lines, Line);) {
        if (!Line.empty() && Line.back() == '\r')
            Line.pop_back();
        if (Line.rfind(Key + "=", 0) == 0)
            return Line.substr(Key.size() + 1);
    }
    return {};
}
