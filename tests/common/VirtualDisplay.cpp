#include "VirtualDisplay.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>

#include <unistd.h>

#include "ChildProcess.h"
#include "CommandOutput.h"

using namespace std::chrono_literals;

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

void Mouse(const std::string& Window, int X, int Y, const std::string& Action)
{
    Xdotool("mousemove --window " + Window + " " + std::to_string(X) + " " + std::to_string(Y));
    Xdotool(Action);
}
