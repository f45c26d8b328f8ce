#pragma once

#include <string>

// A fresh folder under the system's temporary folder, removed with all it
// holds when the value goes.
class TTemporaryFolder {
public:
    TTemporaryFolder();
    ~TTemporaryFolder();
    TTemporaryFolder(const TTemporaryFolder&) = delete;
    TTemporaryFolder& operator=(const TTemporaryFolder&) = delete;

    // The folder, with its trailing separator.
    const std::string& Path() const { return Folder; }
    // The full name of a file in the folder.
    std::string operator/(const std::string& Name) const { return Folder + Name; }

    void Write(const std::string& Name, const std::string& Bytes) const;
    // The file's bytes, or empty text when it cannot be read.
    std::string Read(const std::string& Name) const;

private:
    std::string Folder;
};

// A temporary folder that is the program folder while it lives. When it goes,
// the key map and the settings store (with the catalogue) are closed and the
// program folder is the executable's again.
class TTemporaryProgramFolder : public TTemporaryFolder {
public:
    TTemporaryProgramFolder();
    ~TTemporaryProgramFolder();

    // Copies a data file that ships with the program into the folder.
    void CopyShipped(const std::string& Name) const;
};
