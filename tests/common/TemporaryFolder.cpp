#include "TemporaryFolder.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "config/KlavoraConfigRoutines.h"
#include "config/MIDIKeymappingRoutines.h"
#include "support/ProgramFolderRoutines.h"

namespace {

std::string DefaultBase()
{
    std::error_code Error;
    if (std::filesystem::is_directory("/dev/shm", Error))
        return "/dev/shm";
    return std::filesystem::temp_directory_path().string();
}

}

TTemporaryFolder::TTemporaryFolder()
    : TTemporaryFolder(DefaultBase())
{
}

TTemporaryFolder::TTemporaryFolder(const std::string& Base)
{
    std::string Pattern = Base + "/klavora-XXXXXX";
    if (mkdtemp(Pattern.data()) == nullptr)
        throw std::runtime_error("cannot create a temporary folder");
    Folder = Pattern + '/';
}

TTemporaryFolder::~TTemporaryFolder()
{
    std::error_code Ignored;
    std::filesystem::remove_all(Folder, Ignored);
}

void TTemporaryFolder::Write(const std::string& Name, const std::string& Bytes) const
{
    std::ofstream File(Folder + Name, std::ios::binary | std::ios::trunc);
    File.write(Bytes.data(), static_cast<std::streamsize>(Bytes.size()));
    if (!File)
        throw std::runtime_error("cannot write " + Folder + Name);
}

std::string TTemporaryFolder::Read(const std::string& Name) const
{
    std::ifstream File(Folder + Name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(File), std::istreambuf_iterator<char>());
}

TTemporaryProgramFolder::TTemporaryProgramFolder()
{
    SetProgramFolder(Path());
}

TTemporaryProgramFolder::TTemporaryProgramFolder(const std::string& Base)
    : TTemporaryFolder(Base)
{
    SetProgramFolder(Path());
}

TTemporaryProgramFolder::~TTemporaryProgramFolder()
{
    MIDIKeymappingStop();
    KlavoraConfigStop();
    SetProgramFolder("");
}

void TTemporaryProgramFolder::CopyShipped(const std::string& Name) const
{
    std::filesystem::copy_file(std::string(KLAVORA_SOURCE_DIR) + "/data/" + Name, Path() + Name,
                               std::filesystem::copy_options::overwrite_existing);
}

TTemporaryInstallation::TTemporaryInstallation()
{
    std::filesystem::create_directories(Bin());
    std::filesystem::create_directories(Data());
    for (const char* Name : {"Keyboard.ini", "GeneralMIDI.ini", "Readme.txt"})
        std::filesystem::copy_file(std::string(KLAVORA_SOURCE_DIR) + "/data/" + Name, Data() + Name);
    SetProgramFolder(Bin());
    if (const char* ConfigHome = std::getenv("XDG_CONFIG_HOME"))
        ReplacedConfigHome = ConfigHome;
    setenv("XDG_CONFIG_HOME", (*this / "config").c_str(), 1);
}

TTemporaryInstallation::~TTemporaryInstallation()
{
    if (ReplacedConfigHome)
        setenv("XDG_CONFIG_HOME", ReplacedConfigHome->c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
}
