#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include <sys/types.h>

#include "support/VCLRoutines.h"

// A write to a profile file that failed; its text is "Unable to write to "
// followed by the file's full name.
class EProfileWriteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One key of a section as listed, with the value that reading that key in the
// section finds; none where such a read gives its default.
struct TProfileEntry {
    std::string Name;
    std::optional<std::string> Value;
};

// What listing a whole file gives, from one read of it: the section names, and
// for each the keys of the first section of that name with their values, just
// as ReadSections, ReadSection and ReadString would give them one by one.
class TProfileListing {
public:
    explicit TProfileListing(std::string_view Bytes);

    const TStringList& Sections() const { return SectionNames; }
    // The entries of the section listed at Position (of the first section of
    // that name, since reads always find the first one).
    const std::vector<TProfileEntry>& Entries(size_t Position) const { return EntryLists[EntriesOf[Position]]; }

private:
    TStringList SectionNames;
    std::vector<size_t> EntriesOf;
    std::vector<std::vector<TProfileEntry>> EntryLists;
};

enum class TLoadResult { Loaded, Missing, Failed };

// The largest file a profile file may be unless its owner says otherwise (key
// maps and catalogues). Beyond its limit a file is one that cannot be read:
// reads give their defaults and writes refuse rather than rewrite it.
inline constexpr size_t ProfileSizeLimit = 64 * 1024 * 1024;

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
    static ssize_t ReadSome(int Handle, char* Buffer, size_t Size);
    // The rest of a file that filled the small buffer.
    TLoadResult ReadLarge(int Handle);

    size_t Limit;
    char Small[4096];
    std::string Large;
    std::string_view Bytes;
    TLoadResult Result = TLoadResult::Failed;
};

// The values of a profile file as one read of it finds them: values read from
// one snapshot are read at one moment, for the cost of one read.
class TProfileSnapshot {
public:
    TProfileSnapshot(const std::string& FileName, size_t SizeLimit);

    std::string ReadString(std::string_view Section, std::string_view Key, const std::string& Default) const;
    int32_t ReadInteger(std::string_view Section, std::string_view Key, int32_t Default) const;
    bool ReadBool(std::string_view Section, std::string_view Key, bool Default) const;

private:
    TFileBytes Bytes;
};

// Access to one INI-style text file: section header lines "[name]" followed
// by key=value lines. Every read goes to the file and never fails (it yields
// the default); every write is in the file, whole, when the call returns.
// Copies of the program that write to one file at once each see the other's
// changes, and a reader never finds the file partly written.
class ProfileFile {
public:
    explicit ProfileFile(std::string FileName, size_t SizeLimit = ProfileSizeLimit);

    const std::string& FileName() const { return Name; }
    // What the file holds right now, for several reads from one read of it.
    TProfileSnapshot Snapshot() const { return TProfileSnapshot(Name, Limit); }

    std::string ReadString(const std::string& Section, const std::string& Key, const std::string& Default) const;
    int32_t ReadInteger(const std::string& Section, const std::string& Key, int32_t Default) const;
    bool ReadBool(const std::string& Section, const std::string& Key, bool Default) const;

    // Throw EProfileWriteError when the file cannot be written.
    void WriteString(const std::string& Section, const std::string& Key, const std::string& Value);
    void WriteInteger(const std::string& Section, const std::string& Key, int32_t Value);
    void WriteBool(const std::string& Section, const std::string& Key, bool Value);

    // Names as written, in file order, within the listing limit.
    TStringList ReadSections() const;
    TStringList ReadSection(const std::string& Section) const;
    // Every listing at once, from one read of the file.
    TProfileListing ReadListing() const;

    // Writes out anything still cached for the file.
    void UpdateFile();

    // Removes what writes of this file left behind when their program was
    // killed half-way: temporary files in its folder older than a minute.
    void RemoveStaleTemporaries() const;

private:
    std::string Name;
    size_t Limit;
};

// True when a file (not a folder) of that name exists.
bool FileExists(const std::string& FileName);

// Reads Text as the integer form of a profile file: hexadecimal after a
// leading 0x or 0X (when more than two characters) or $, decimal otherwise;
// false, with Value untouched, for any other text.
bool TryProfileInteger(std::string_view Text, int32_t& Value);
