#include "config/ProfileFile.h"

#include <filesystem>
#include <optional>
#include <utility>

#include "config/ProfileFileReplacement.h"
#include "config/ProfileInteger.h"
#include "config/ProfileText.h"
#include "support/FilePathRoutines.h"

TProfileSnapshot::TProfileSnapshot(const std::string& FileName, size_t SizeLimit) : Bytes(FileName, SizeLimit) {}

std::string TProfileSnapshot::ReadString(std::string_view Section, std::string_view Key,
                                         const std::string& Default) const
{
    const std::optional<std::string_view> Found = FindProfileValue(Bytes.View(), Section, Key);
    return Found ? std::string(*Found) : Default;
}

int32_t TProfileSnapshot::ReadInteger(std::string_view Section, std::string_view Key, int32_t Default) const
{
    const std::optional<std::string_view> Found = FindProfileValue(Bytes.View(), Section, Key);
    int32_t Value = Default;
    return Found && TryProfileInteger(*Found, Value) ? Value : Default;
}

bool TProfileSnapshot::ReadBool(std::string_view Section, std::string_view Key, bool Default) const
{
    return ReadInteger(Section, Key, Default ? 1 : 0) != 0;
}

ProfileFile::ProfileFile(std::string FileName, size_t SizeLimit) : Name(std::move(FileName)), Limit(SizeLimit) {}

std::string ProfileFile::ReadString(const std::string& Section, const std::string& Key,
                                    const std::string& Default) const
{
    return Snapshot().ReadString(Section, Key, Default);
}

int32_t ProfileFile::ReadInteger(const std::string& Section, const std::string& Key, int32_t Default) const
{
    return Snapshot().ReadInteger(Section, Key, Default);
}

bool ProfileFile::ReadBool(const std::string& Section, const std::string& Key, bool Default) const
{
    return Snapshot().ReadBool(Section, Key, Default);
}

void ProfileFile::WriteString(const std::string& Section, const std::string& Key, const std::string& Value)
{
    const std::string Target = WriteTarget(Name);
    const TFolderLock Lock(FolderOf(Target));
    // Only a regular file (or none yet) is rewritten; one that cannot be read
    // is left alone rather than replaced by a file that lost its content.
    std::error_code Error;
    const std::filesystem::file_status Status = std::filesystem::status(FilePath(Target), Error);
    const TFileBytes Bytes(Target, Limit);
    if (Bytes.Loaded() == TLoadResult::Failed ||
        (std::filesystem::exists(Status) && !std::filesystem::is_regular_file(Status)))
        throw EProfileWriteError("Unable to write to " + Name);
    const std::optional<std::string> Edited = WithProfileValue(Bytes.View(), Section, Key, Value);
    if (Edited && !ReplaceFile(Target, *Edited, Lock))
        throw EProfileWriteError("Unable to write to " + Name);
}

void ProfileFile::WriteInteger(const std::string& Section, const std::string& Key, int32_t Value)
{
    WriteString(Section, Key, std::to_string(Value));
}

void ProfileFile::WriteBool(const std::string& Section, const std::string& Key, bool Value)
{
    WriteString(Section, Key, Value ? "1" : "0");
}

TStringList ProfileFile::ReadSections() const
{
    const TFileBytes Bytes(Name, Limit);
    return ListProfileSections(Bytes.View());
}

TStringList ProfileFile::ReadSection(const std::string& Section) const
{
    const TFileBytes Bytes(Name, Limit);
    return ListProfileSection(Bytes.View(), Section);
}

TProfileListing ProfileFile::ReadListing() const
{
    const TFileBytes Bytes(Name, Limit);
    return TProfileListing(Bytes.View());
}

void ProfileFile::UpdateFile()
{
    // Every write is on disk before it returns: nothing is ever held back.
}

void ProfileFile::RemoveStaleTemporaries() const
{
    RemoveStaleTemporariesOf(WriteTarget(Name));
}

bool FileExists(const std::string& FileName)
{
    std::error_code Error;
    return std::filesystem::is_regular_file(FilePath(FileName), Error);
}
