#include "ProgramUnderTest.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>

std::string CommandOutput(const std::string& Command)
{
    std::string Text;
    if (FILE* Pipe = popen(Command.c_str(), "r")) {
        char Buffer[256];
        while (fgets(Buffer, sizeof Buffer, Pipe) != nullptr)
            Text += Buffer;
        pclose(Pipe);
    }
    return Text;
}

TVirtualDisplay::TVirtualDisplay()
{
    int Pipe[2];
    if (pipe(Pipe) != 0)
        return;
    Server = fork();
    if (Server == 0) {
        close(Pipe[0]);
        const std::string Fd = std::to_string(Pipe[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", Fd.c_str(), "-nolisten", "tcp", "-screen", "0", "1280x1024x24",
               static_cast<char*>(nullptr));
        _exit(127);
    }
    close(Pipe[1]);
    std::string Number;
    char Byte;
    while (read(Pipe[0], &Byte, 1) == 1 && Byte != '\n')
        Number += Byte;
    close(Pipe[0]);
    if (!Number.empty()) {
        Name = ":" + Number;
        setenv("DISPLAY", Name.c_str(), 1);
    }
}

TVirtualDisplay::~TVirtualDisplay()
{
    if (Server > 0) {
        kill(Server, SIGTERM);
        waitpid(Server, nullptr, 0);
    }
    unsetenv("DISPLAY");
}

TProgramUnderTest::TProgramUnderTest()
{
    for (const char* Name : {"klavora", "Keyboard.ini", "GeneralMIDI.ini", "Readme.txt"})
        std::filesystem::copy_file(std::string(KLAVORA_PROGRAM_DIR) + "/" + Name, Folder / Name);
}

TProgramUnderTest::~TProgramUnderTest()
{
    End();
}

void TProgramUnderTest::End()
{
    if (Program > 0) {
        kill(Program, SIGKILL);
        waitpid(Program, nullptr, 0);
    }
    Program = -1;
}

std::string TProgramUnderTest::Start(const std::vector<std::string>& Environment)
{
    Program = fork();
    if (Program == 0) {
        unsetenv("QT_QPA_PLATFORM");
        for (const std::string& Setting : Environment)
            putenv(const_cast<char*>(Setting.c_str()));
        if (chdir("/") != 0)
            _exit(127);
        const int Null = open("/dev/null", O_WRONLY);
        dup2(Null, STDERR_FILENO);
        const std::string Executable = Folder / "klavora";
        execl(Executable.c_str(), Executable.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    for (int Try = 0; Try < 100; ++Try) {
        std::string Window = CommandOutput("xdotool search --onlyvisible --name '^Klavora Lite v2.9$' 2>/dev/null");
        if (!Window.empty()) {
            Window.erase(Window.find('\n'));
            CommandOutput("xdotool windowfocus --sync " + Window + " >/dev/null 2>&1");
            std::this_thread::sleep_for(std::chrono::milliseconds(60));
            return Window;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return {};
}

int TProgramUnderTest::Stopped()
{
    int Status = -1;
    for (int Try = 0; Try < 100 && waitpid(Program, &Status, WNOHANG) == 0; ++Try)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    Program = -1;
    return WIFEXITED(Status) ? WEXITSTATUS(Status) : -1;
}
