#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

#include "support/VCLRoutines.h"

// A write to a profile file that failed; its text is "Unable to write to "
// followed by the file's full name.
class EProfileWriteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Access to one INI-style text file: section header lines "[name]" followed
// by key=value lines. Every read goes to the file and never fails (it yields
// the default); every write is in the file, whole, when the call returns.
class ProfileFile {
public:
    explicit ProfileFile(std::string FileName);

    const std::string& FileName() const { return Name; }

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

    // Writes out anything still cached for the file.
    void UpdateFile();

private:
    std::string Name;
};

// True when a file (not a folder) of that name exists.
bool FileExists(const std::string& FileName);
