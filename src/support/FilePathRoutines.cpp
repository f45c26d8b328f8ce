#include "support/FilePathRoutines.h"

#include <cctype>

#ifdef _WIN32
#include "support/WideTextRoutines.h"
#endif

std::filesystem::path FilePath(std::string_view FileName)
{
#ifdef _WIN32
    return std::filesystem::path(WideText(FileName));
#else
    return std::filesystem::path(FileName);
#endif
}

std::string FileNameText(const std::filesystem::path& Path)
{
#ifdef _WIN32
    return Utf8Text(Path.native());
#else
    return Path.native();
#endif
}

bool IsPathSeparator(char Character)
{
    return Character == '/' || Character == PathSeparator;
}

std::string WithTrailingSeparator(std::string Folder)
{
    if (!Folder.empty() && IsPathSeparator(Folder.back()))
        return Folder;
    Folder += Folder.find(PathSeparator) == std::string::npos ? '/' : PathSeparator;
    return Folder;
}

bool IsAbsoluteFileName(std::string_view FileName)
{
#ifdef _WIN32
    if (FileName.size() >= 2 && std::isalpha(static_cast<unsigned char>(FileName[0])) && FileName[1] == ':')
        return true;
#endif
    return !FileName.empty() && IsPathSeparator(FileName.front());
}
