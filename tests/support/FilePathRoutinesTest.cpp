#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "TemporaryFolder.h"
#include "support/FilePathRoutines.h"

namespace fs = std::filesystem;

TEST(FilePath, ANameBeyondASCIINamesTheSameFileBothWays)
{
    TTemporaryFolder Folder;
    const std::string Name = "Kl\xC3\xA4nge \xE2\x99\xAA.ini";
    std::ofstream(FilePath(Folder / Name), std::ios::binary) << "[Keyboard]\n";
    std::string Listed;
    for (const fs::directory_entry& Entry : fs::directory_iterator(FilePath(Folder.Path())))
        Listed += FileNameText(Entry.path().filename());
    EXPECT_EQ(Listed, Name);
    EXPECT_EQ(fs::file_size(FilePath(Folder / Name)), 11u);
    EXPECT_EQ(FileNameText(FilePath(Folder / Name)), Folder / Name);
}

TEST(FilePath, ANameThatIsNotUTF8NamesNoFileAndThrowsNothing)
{
    TTemporaryFolder Folder;
    fs::path Path;
    EXPECT_NO_THROW(Path = FilePath(Folder / "Caf\xE9.ini"));
    EXPECT_FALSE(fs::exists(Path));
    EXPECT_NO_THROW(FileNameText(Path));
}

TEST(FilePath, AbsoluteNamesAreRootedOrOnWindowsHaveADrive)
{
    EXPECT_TRUE(IsAbsoluteFileName("/usr/share/doc/other.txt"));
    EXPECT_FALSE(IsAbsoluteFileName("Readme.txt"));
    EXPECT_FALSE(IsAbsoluteFileName(""));
#ifdef _WIN32
    EXPECT_TRUE(IsAbsoluteFileName("C:\\Notes\\other.txt"));
    EXPECT_TRUE(IsAbsoluteFileName("\\\\server\\share\\other.txt"));
    EXPECT_TRUE(IsPathSeparator('\\'));
#else
    EXPECT_FALSE(IsAbsoluteFileName("C:\\Notes\\other.txt"));
    EXPECT_FALSE(IsPathSeparator('\\'));
#endif
}
