#include <cstdio>

#include <windows.h>

#include "app/CommandLineRoutines.h"
#include "app/KlavoraProgram.h"

namespace {

// A program of Windows' graphical subsystem starts without a console: its
// answer goes where its output was sent (a file, a pipe), else to the
// console it was started from.
void WriteToStartingConsole()
{
    const HANDLE Output = GetStdHandle(STD_OUTPUT_HANDLE);
    if (Output != nullptr && Output != INVALID_HANDLE_VALUE)
        return;
    if (AttachConsole(ATTACH_PARENT_PROCESS))
        std::freopen("CONOUT$", "w", stdout);
}

}

int main(int Argc, char** Argv)
{
    if (Argc > 1)
        WriteToStartingConsole();
    if (AnswerCommandLine(Argc, Argv, stdout))
        return 0;
    return RunKlavora(Argc, Argv, TMIDIServiceChoice::System);
}
