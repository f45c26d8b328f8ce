#include <cstdio>

#include "app/CommandLineRoutines.h"
#include "app/KlavoraProgram.h"

int main(int Argc, char** Argv)
{
    if (AnswerCommandLine(Argc, Argv, stdout))
        return 0;
    return RunKlavora(Argc, Argv, TMIDIServiceChoice::System);
}
