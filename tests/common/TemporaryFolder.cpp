#include "TemporaryFolder.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

#include "config/KlavoraConfigRoutines.h"
#include "config/MIDIKeymappingRoutines.h"
#include "support/FilePathRoutines.h"
#include "support/ProgramFolderRoutines.h"

namespace fs = std::filesystem;

namespace {

// Linux's memory file system where there is one. On Windows that name is no
// absolute path, and the user's temporary folder serves.
std::string DefaultBase()
{
    const fs::path Memory = "/dev/shm";
    std::error_code Error;
    if (Memory.is_absolute() && fs::is_directory(Memory, Error))
        return FileNameText(Memory);
    return FileNameText(fs::temp_directory_path());
}

// A folder of a new random name inside Base, made by this call alone.
fs::path NewFolderIn(const std::string& Base)
{
    std::random_device Seed;
    std::mt19937_64 Random(static_cast<uint64_t>(Seed()) << 32 | Seed());
    for (int Attempt = 0; Attempt < 100; ++Attempt) {
        char Name[32];
        std::snprintf(Name, sizeof Name, "klavora-%016llx", static_cast<unsigned long long>(Random()));
        const fs::path Folder = FilePath(Base) / Name;
        std::error_code Error;
        if (fs::create_directory(Folder, Error))
            return Folder;
        if (Error)
            break;
    }
    throw std::runtime_error("cannot create a temporary folder in " + Base);
}

}

TTemporaryFolder::TTemporaryFolder()
    : TTemporaryFolder(DefaultBase())
{
}

TTemporaryFolder::TTemporaryFolder(const std::string& Base)
    : Folder(FileNameText(NewFolderIn(Base) / ""))
{
}

TTemporaryFolder::~TTemporaryFolder()
{
    std::error_code Ignored;
    fs::remove_all(FilePath(Folder), Ignored);
}

void TTemporaryFolder::Write(const std::string& Name, const std::string& Bytes) const
{
    std::ofstream File(FilePath(Folder + Name), std::ios::binary | std::ios::trunc);
    File.write(Bytes.data(), static_cast<std::streamsize>(Bytes.size()));
    if (!File)
        throw std::runtime_error("cannot write " + Folder + Name);
}

std::string TTemporaryFolder::Read(const std::string& Name) const
{
    std::ifstream File(FilePath(Folder + Name), std::ios::binary);
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
    fs::copy_file(FilePath(std::string(KLAVORA_SOURCE_DIR) + "/data/" + Name), FilePath(Path() + Name),
                  fs::copy_options::overwrite_existing);
}

TTemporaryInstallation::TTemporaryInstallation()
    : ConfigHome(UserConfigVariable, *this / "config/")
{
    fs::create_directories(FilePath(Bin()));
    fs::create_directories(FilePath(Data()));
    for (const char* Name : {"Keyboard.ini", "GeneralMIDI.ini", "Readme.txt"})
        fs::copy_file(FilePath(std::string(KLAVORA_SOURCE_DIR) + "/data/" + Name), FilePath(Data() + Name));
    SetProgramFolder(Bin());
}
