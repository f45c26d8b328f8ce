#include "app/KlavoraProgram.h"

int main(int Argc, char** Argv)
{
    return RunKlavora(Argc, Argv, TMIDIServiceChoice::System);
}
