#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <thread>

#include "FullDisk.h"
#include "ProfileFileFixture.h"
#include "support/FilePathRoutines.h"

// Profile files on disk: how a write replaces the file, and files of every kind.
using ProfileFileTest = TProfileFileFixture;

namespace {

// Whether the two names are one file: a second name (a hard link) stays with
// the file it was made for when a write puts a new file in its place.
bool SameFile(const std::string& Name, const std::string& Other)
{
    return std::filesystem::equivalent(FilePath(Name), FilePath(Other));
}

}

TEST_F(ProfileFileTest, AWriteOfTheStoredValueLeavesTheFileUntouchedAndLineBreaksCannotAddLines)
{
    ProfileFile Ini = Holding("[S]\nKey=5\n");
    std::filesystem::create_hard_link(FilePath(Folder / "Test.ini"), FilePath(Folder / "Before.ini"));
    Ini.WriteInteger("S", "Key", 5);
    EXPECT_TRUE(SameFile(Folder / "Test.ini", Folder / "Before.ini"));
    Ini.WriteInteger("S", "Key", 6);
    EXPECT_FALSE(SameFile(Folder / "Test.ini", Folder / "Before.ini"));

    Ini.WriteString("S", "Key", "Typing\n[Injected]\nKey=1");
    EXPECT_EQ(Stored(), "[S]\nKey=Typing\n");
}

TEST_F(ProfileFileTest, AFailedWriteLeavesTheOldFileWholeAndSaysWhichFile)
{
    const std::string Original = "[Keyboard]\nChannel=5\n";
    ProfileFile Ini = Holding(Original);
    try {
        const TFullDisk Full(Folder / "Test.ini");
        Ini.WriteInteger("Keyboard", "Channel", 7);
        FAIL() << "the write did not fail";
    } catch (const EProfileWriteError& Error) {
        EXPECT_STREQ(Error.what(), ("Unable to write to " + (Folder / "Test.ini")).c_str());
    }
    EXPECT_EQ(Stored(), Original);
    // Nothing of the failed write is left in the folder.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Folder.Path()), std::filesystem::directory_iterator()),
              1);

    // A file where the settings folder should be, and a folder where the file should be.
    Folder.Write("NotAFolder", "x");
    ProfileFile InsideAFile(Folder / "NotAFolder/Setup.ini");
    EXPECT_THROW(InsideAFile.WriteInteger("Keyboard", "Channel", 7), EProfileWriteError);
    std::filesystem::create_directory(Folder / "AFolder.ini");
    ProfileFile AFolder(Folder / "AFolder.ini");
    EXPECT_THROW(AFolder.WriteInteger("Keyboard", "Channel", 7), EProfileWriteError);
    EXPECT_TRUE(std::filesystem::is_directory(Folder / "AFolder.ini"));
    EXPECT_EQ(AFolder.ReadInteger("Keyboard", "Channel", 3), 3);
}

TEST_F(ProfileFileTest, AWriteThroughALinkChangesTheLinkedFileAndKeepsTheLink)
{
    Folder.Write("Real.ini", "[S]\nKey=1\n");
    std::error_code Error;
    std::filesystem::create_symlink(FilePath(Folder / "Real.ini"), FilePath(Folder / "Link.ini"), Error);
    if (Error)
        GTEST_SKIP() << "this system makes no symbolic links here: " << Error.message();
    ProfileFile Ini(Folder / "Link.ini");
    Ini.WriteInteger("S", "Key", 2);
    EXPECT_TRUE(std::filesystem::is_symlink(Folder / "Link.ini"));
    EXPECT_EQ(Folder.Read("Real.ini"), "[S]\nKey=2\n");
}

TEST_F(ProfileFileTest, GarbageOfEveryKindReadsAsDefaultsAndCanBeWrittenTo)
{
    std::mt19937 Random(7);
    std::string Binary(64 * 1024, '\0');
    for (char& Byte : Binary)
        Byte = static_cast<char>(Random());
    const std::string Garbage[] = {
        Binary,
        std::string("[S]\nK=a\0b\n\0\0\0[\0]\n=\n[\n]\n[]\n", 26),
        "[S]\nK=" + std::string(1024 * 1024, 'x'),
        std::string(10 * 1024 * 1024, '['),
        std::string(5 * 1024 * 1024, '\n') + "[S]\nK=1\n",
    };
    for (const std::string& Bytes : Garbage) {
        ProfileFile Ini = Holding(Bytes);
        EXPECT_EQ(Ini.ReadInteger("Keyboard", "Channel", 42), 42);
        Ini.ReadSections();
        Ini.ReadSection("S");
        Ini.ReadListing();
        Ini.WriteInteger("Keyboard", "Channel", 5);
        EXPECT_EQ(Ini.ReadInteger("Keyboard", "Channel", 42), 5);
    }
}

TEST_F(ProfileFileTest, OnlyFilesExistFoldersDoNot)
{
    Folder.Write("File.ini", "");
    EXPECT_TRUE(FileExists(Folder / "File.ini"));
    EXPECT_FALSE(FileExists(Folder / "Missing.ini"));
    EXPECT_FALSE(FileExists(Folder.Path()));
    EXPECT_FALSE(FileExists(""));
}

TEST_F(ProfileFileTest, AFileInAFolderBeyondASCIIIsReadWrittenAndListed)
{
    const std::string Songs = Folder / "Zo\xC3\xAB \xE2\x99\xAA";
    std::filesystem::create_directory(FilePath(Songs));
    const std::string Name = Songs + "/Setup.ini";
    ProfileFile Ini(Name);
    Ini.WriteInteger("Keyboard", "Channel", 7);
    Ini.WriteString("Keyboard", "Map", "Typing");
    EXPECT_TRUE(FileExists(Name));
    EXPECT_EQ(Ini.ReadInteger("Keyboard", "Channel", 1), 7);
    EXPECT_EQ(Ini.ReadSection("Keyboard"), (TStringList{"Channel", "Map"}));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(FilePath(Songs)), std::filesystem::directory_iterator()), 1);
}

TEST_F(ProfileFileTest, TwoWritersOfOneFileAtOnceLoseNoChange)
{
    // Each write reads the file, changes one key and puts the file back:
    // without the folder's lock, one writer would put back a file without
    // the other's last change.
    constexpr int Writes = 300;
    Holding("[S]\n");
    const auto Writer = [this](const char* Key) {
        ProfileFile Ini(Folder / "Test.ini");
        for (int Write = 1; Write <= Writes; ++Write)
            Ini.WriteInteger("S", Key, Write);
    };
    std::thread First(Writer, "First");
    std::thread Second(Writer, "Second");
    First.join();
    Second.join();
    const ProfileFile Ini(Folder / "Test.ini");
    EXPECT_EQ(Ini.ReadInteger("S", "First", 0), Writes);
    EXPECT_EQ(Ini.ReadInteger("S", "Second", 0), Writes);
}
