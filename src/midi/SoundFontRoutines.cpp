#include "midi/SoundFontRoutines.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <vector>

namespace {

namespace fs = std::filesystem;

bool IsSoundFontName(const fs::path& Path)
{
    std::string Extension = Path.extension().string();
    std::transform(Extension.begin(), Extension.end(), Extension.begin(),
                   [](unsigned char Letter) { return static_cast<char>(std::tolower(Letter)); });
    return Extension == ".sf2" || Extension == ".sf3";
}

bool IsFile(const fs::path& Path)
{
    std::error_code Error;
    return fs::is_regular_file(Path, Error);
}

}

std::string FindSoundFont(const std::string& Folder, std::span<const char* const> Fallbacks)
{
    std::vector<std::string> Found;
    std::error_code Error;
    for (fs::directory_iterator Entry(Folder, Error), End; !Error && Entry != End; Entry.increment(Error))
        if (IsSoundFontName(Entry->path()) && IsFile(Entry->path()))
            Found.push_back(Entry->path().string());
    if (!Found.empty())
        return *std::min_element(Found.begin(), Found.end());
    for (const char* Path : Fallbacks)
        if (IsFile(Path))
            return Path;
    return {};
}
