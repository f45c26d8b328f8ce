#include "FuzzFolder.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>

#include "support/ErrorRoutines.h"
#include "support/FilePathRoutines.h"

namespace fs = std::filesystem;

void Require(bool Holds, const char* What)
{
    if (!Holds) {
        std::fprintf(stderr, "fuzzing: %s\n", What);
        std::abort();
    }
}

namespace {

std::string MadeFolder;

void RemoveFolder()
{
    std::filesystem::remove_all(FilePath(MadeFolder));
}

}

const std::string& FuzzFolder()
{
    static const std::string Name = [] {
        std::error_code Error;
        // On Windows this name is no absolute path: the temporary folder serves.
        const fs::path Memory = "/dev/shm";
        const fs::path Base = Memory.is_absolute() && fs::is_directory(Memory, Error) ? Memory : fs::temp_directory_path();
        std::random_device Random;
        fs::path Folder;
        do
            Folder = Base / ("klavora-fuzz-" + std::to_string(Random()));
        while (!fs::create_directory(Folder, Error) && !Error);
        Require(!Error, "no temporary folder");
        MadeFolder = FileNameText(Folder);
        std::atexit(RemoveFolder);
        SetErrorPresenter([](const std::string&) {});
        return FileNameText(Folder / "");
    }();
    return Name;
}

std::string WriteFuzzFile(const std::string& Name, const uint8_t* Data, size_t Size)
{
    const std::string FileName = FuzzFolder() + Name;
    FILE* File = std::fopen(FileName.c_str(), "wb");
    Require(File != nullptr, "cannot write an input file");
    Require(std::fwrite(Data, 1, Size, File) == Size, "cannot write an input file whole");
    std::fclose(File);
    return FileName;
}
