#pragma once

#include <optional>
#include <string>

// A fresh folder, removed with all it holds when the value goes. By default
// it lives in memory (/dev/shm) where the machine offers it, so that tests
// that write settings thousands of times do not wait for a disk.
class TTemporaryFolder {
public:
    TTemporaryFolder();
    // A folder inside Base instead (for measurements that must touch a disk).
    explicit TTemporaryFolder(const std::string& Base);
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
    explicit TTemporaryProgramFolder(const std::string& Base);
    ~TTemporaryProgramFolder();

    // Copies a data file that ships with the program into the folder.
    void CopyShipped(const std::string& Name) const;
};

// An installation in a temporary folder, laid out as `cmake --install` lays
// it out: the program folder is its "bin/", the shipped data files stand in
// "share/klavora/", and XDG_CONFIG_HOME names its "config/" (not made yet)
// while it lives. When it goes, the modules are closed as for a program
// folder.
class TTemporaryInstallation : public TTemporaryProgramFolder {
public:
    TTemporaryInstallation();
    ~TTemporaryInstallation();

    // The folders, with their trailing separators.
    std::string Bin() const { return *this / "bin/"; }
    std::string Data() const { return *this / "share/klavora/"; }
    std::string Settings() const { return *this / "config/klavora/"; }

private:
    std::optional<std::string> ReplacedConfigHome;
};
