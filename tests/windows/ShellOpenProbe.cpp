// What the shell tests open on Windows: a program without a console or a
// window that leaves "opened.txt" in its program folder, so that a test sees
// that it ran and that it found its own folder.
#include <fstream>

#include "support/FilePathRoutines.h"
#include "support/ProgramFolderRoutines.h"

int main()
{
    std::ofstream Mark(FilePath(ProgramFolder() + "opened.txt"));
    return Mark ? 0 : 1;
}
