#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

#include "support/ProgramFolderRoutines.h"

TEST(ProgramFolder, IsTheExecutablesFolderWhateverTheCurrentDirectory)
{
    const std::string Executable = std::filesystem::read_symlink("/proc/self/exe").string();
    const std::string Expected = Executable.substr(0, Executable.rfind('/') + 1);
    EXPECT_EQ(ProgramFolder(), Expected);

    const std::string Before = std::filesystem::current_path().string();
    ASSERT_EQ(chdir("/"), 0);
    EXPECT_EQ(ProgramFolder(), Expected);
    ASSERT_EQ(chdir(Before.c_str()), 0);
}

TEST(ProgramFolder, CanBePointedElsewhereAndBack)
{
    SetProgramFolder("/tmp/somewhere");
    EXPECT_EQ(ProgramFolder(), "/tmp/somewhere/");
    SetProgramFolder("/tmp/other/");
    EXPECT_EQ(ProgramFolder(), "/tmp/other/");
    SetProgramFolder("");
    EXPECT_EQ(ProgramFolder().back(), '/');
    EXPECT_NE(ProgramFolder(), "/tmp/other/");
}
