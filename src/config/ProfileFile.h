#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include "config/ProfileFileReading.h"
#include "config/ProfileListing.h"
#include "support/VCLRoutines.h"

// A write to a profile file that failed; its text is "Unable to write to "
// followed by the file's full name.
class EProfileWriteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The largest file a profile file may be unless its owner says otherwise (key
// maps and catalogues). Beyond its limit a file is one that cannot be read:
// reads give their defaults and writes refuse rather than rewrite it.
inline constexpr size_t ProfileSizeLimit = 64 * 1024 * 1024;

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
