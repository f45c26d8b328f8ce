#include "CommandOutput.h"

#include <cstdio>

#include <sys/wait.h>

std::string Output(const std::string& Command, int* ExitStatus)
{
    std::string Text;
    int Closed = -1;
    if (FILE* Pipe = popen(Command.c_str(), "r")) {
        char Buffer[256];
        while (fgets(Buffer, sizeof Buffer, Pipe) != nullptr)
            Text += Buffer;
        Closed = pclose(Pipe);
    }
    if (ExitStatus != nullptr)
        *ExitStatus = WIFEXITED(Closed) ? WEXITSTATUS(Closed) : -1;
    return Text;
}
