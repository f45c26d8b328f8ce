#include "FormModules.h"

#include <filesystem>
#include <fstream>

#include "LineBreaks.h"
#include "app/ModuleOrderRoutines.h"
#include "support/ProgramFolderRoutines.h"

TFormModules::TFormModules()
{
    const std::filesystem::path Data = std::filesystem::path(KLAVORA_SOURCE_DIR) / "data";
    for (const char* Name : {"Keyboard.ini", "GeneralMIDI.ini"})
        std::filesystem::copy_file(Data / Name, Folder / Name);
    std::ofstream(Folder / "Keyboard.ini", std::ios::app) << "\n[Test]\n90=0\n88=2\n50=13\n9=25\n13=26\n27=27\n37=28\n";
    Folder.Write("Setup.ini", InNewProfileLines("[Keyboard]\nMap=Test\n"));
    SetProgramFolder(Folder.Path());

    Service.DeviceNames = {"Synth One", "Synth Two"};
    StartModules(TModuleChoices{});
}

TFormModules::~TFormModules()
{
    StopModules(TModuleChoices{});
    SetProgramFolder("");
}
