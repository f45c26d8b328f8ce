#include "VirtualDisplay.h"

#include <cstdio>
#include <cstdlib>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

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

std::string Output(const std::string& Command, int* ExitStatus)
{
    std::string Text;
    int Ended = -1;
    if (FILE* Pipe = popen(Command.c_str(), "r")) {
        char Buffer[256];
        while (fgets(Buffer, sizeof Buffer, Pipe) != nullptr)
            Text += Buffer;
        Ended = pclose(Pipe);
    }
    if (ExitStatus != nullptr)
        *ExitStatus = WIFEXITED(Ended) ? WEXITSTATUS(Ended) : -1;
    return Text;
}
