#include <gtest/gtest.h>

#include <filesystem>

#include "support/FilePathRoutines.h"
#include "support/ProgramFolderRoutines.h"

namespace fs = std::filesystem;

TEST(ProgramFolder, IsTheExecutablesFolderWhateverTheCurrentDirectory)
{
    // The build says where this test program is.
    const fs::path Program = KLAVORA_TEST_PROGRAM;
    const std::string Folder = ProgramFolder();
    ASSERT_FALSE(Folder.empty());
    EXPECT_TRUE(IsPathSeparator(Folder.back()));
    EXPECT_TRUE(fs::equivalent(FilePath(Folder) / Program.filename(), Program));

    const fs::path Before = fs::current_path();
    fs::current_path(fs::temp_directory_path());
    EXPECT_EQ(ProgramFolder(), Folder);
    fs::current_path(Before);
}

TEST(ProgramFolder, CanBePointedElsewhereAndBack)
{
    SetProgramFolder("/tmp/somewhere");
    EXPECT_EQ(ProgramFolder(), "/tmp/somewhere/");
    SetProgramFolder("/tmp/other/");
    EXPECT_EQ(ProgramFolder(), "/tmp/other/");
    SetProgramFolder("");
    EXPECT_TRUE(IsPathSeparator(ProgramFolder().back()));
    EXPECT_NE(ProgramFolder(), "/tmp/other/");
}
