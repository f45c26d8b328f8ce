#include "support/LogFileRoutines.h"

#include <fstream>

#include "support/ProgramFolderRoutines.h"

TStringList LogLines;

void LogFileStart()
{
    LogLines.clear();
}

void LogFileStop()
{
    std::ofstream File(SettingsFile(LogFileName), std::ios::binary | std::ios::trunc);
    for (const std::string& Line : LogLines)
        File << Line << "\r\n";
    TStringList().swap(LogLines);
}
