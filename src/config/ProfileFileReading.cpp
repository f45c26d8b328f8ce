#include "config/ProfileFileReading.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <optional>

#include "config/ProfileFilePlatform.h"

// A settings file fits the buffer on the stack, so that a read costs one
// open, one read and one close, and no allocation.
TFileBytes::TFileBytes(const std::string& FileName, size_t SizeLimit)
    : Limit(SizeLimit)
{
    const int Handle = OpenToRead(FileName);
    if (Handle < 0) {
        Result = errno == ENOENT ? TLoadResult::Missing : TLoadResult::Failed;
        return;
    }
    const int64_t Count = ReadSome(Handle, Small, sizeof Small);
    if (Count >= 0 && static_cast<size_t>(Count) < sizeof Small) {
        // A read that stops short of the buffer has met the end of the file.
        Bytes = std::string_view(Small, static_cast<size_t>(Count));
        Result = TLoadResult::Loaded;
    } else if (Count > 0) {
        Result = ReadLarge(Handle);
    }
    CloseFile(Handle);
}

TLoadResult TFileBytes::ReadLarge(int Handle)
{
    const std::optional<uint64_t> Size = RegularFileSize(Handle);
    if (!Size || *Size > Limit)
        return TLoadResult::Failed;
    Large.assign(Small, sizeof Small);
    size_t Filled = Large.size();
    Large.resize(std::max(Filled, static_cast<size_t>(*Size)) + 1);
    for (;;) {
        if (Filled == Large.size()) {
            if (Filled > Limit)
                return TLoadResult::Failed;
            Large.resize(2 * Large.size());
        }
        const int64_t Count = ReadSome(Handle, Large.data() + Filled, Large.size() - Filled);
        if (Count < 0)
            return TLoadResult::Failed;
        if (Count == 0)
            break;
        Filled += static_cast<size_t>(Count);
    }
    Large.resize(Filled);
    Bytes = Large;
    return TLoadResult::Loaded;
}
