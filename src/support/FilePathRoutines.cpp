#include "support/FilePathRoutines.h"

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
