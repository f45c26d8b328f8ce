#pragma once

#include <cstddef>
#include <string>
#include <string_view>

enum class TLoadResult { Loaded, Missing, Failed };

// A whole file, read at once. A name that does not exist is Missing; a folder,
// a file that cannot be read or one larger than SizeLimit bytes is Failed, and
// holds no bytes. A file beyond the limit costs no more than its first page.
class TFileBytes {
public:
    TFileBytes(const std::string& FileName, size_t SizeLimit);
    TFileBytes(const TFileBytes&) = delete;
    TFileBytes& operator=(const TFileBytes&) = delete;

    TLoadResult Loaded() const { return Result; }
    std::string_view View() const { return Bytes; }

private:
    // The rest of a file that filled the small buffer.
    TLoadResult ReadLarge(int Handle);

    size_t Limit;
    char Small[4096];
    std::string Large;
    std::string_view Bytes;
    TLoadResult Result = TLoadResult::Failed;
};
