#include "ProgramRunFixture.h"

#include <chrono>
#include <cstdlib>
#include <thread>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "midi/LinuxMIDIOutService.h"
#include "midi/MIDIDevicesRoutines.h"
#include "support/ProgramFolderRoutines.h"

using namespace std::chrono_literals;

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
    Program = fork();
    if (Program == 0) {
        unsetenv("QT_QPA_PLATFORM");
        for (const std::string& Variable : Environment)
            putenv(const_cast<char*>(Variable.c_str()));
        if (chdir("/") != 0)
            _exit(127);
        const int Null = open("/dev/null", O_WRONLY);
        dup2(Null, STDERR_FILENO);
        execl(Executable.c_str(), Executable.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    for (int Try = 0; Try < 100; ++Try) {
        std::string Window = Output("xdotool search --onlyvisible --name '^Klavora Lite v2.9$' 2>/dev/null");
        if (!Window.empty()) {
            Window.erase(Window.find('\n'));
            Xdotool("windowfocus --sync " + Window);
            return Window;
        }
        std::this_thread::sleep_for(50ms);
    }
    return {};
}

int ProgramRunTest::Stopped()
{
    int Status = -1;
    for (int Try = 0; Try < 100 && waitpid(Program, &Status, WNOHANG) == 0; ++Try)
        std::this_thread::sleep_for(50ms);
    Program = -1;
    return WIFEXITED(Status) ? WEXITSTATUS(Status) : -1;
}

void ProgramRunTest::Mouse(const std::string& Window, int X, int Y, const std::string& Action)
{
    Xdotool("mousemove --window " + Window + " " + std::to_string(X) + " " + std::to_string(Y));
    Xdotool(Action);
}
