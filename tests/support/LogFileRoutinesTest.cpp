#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "ErrorRecorder.h"
#include "TemporaryFolder.h"
#include "support/FilePathRoutines.h"
#include "support/LogFileRoutines.h"
#include "support/ProgramFolderRoutines.h"

namespace {
namespace fs = std::filesystem;

class LogFileTest : public testing::Test {
protected:
    void SetUp() override { LogFileStart(); }
    void TearDown() override { LogLines.clear(); }

    TTemporaryProgramFolder Folder;
};
}

TEST_F(LogFileTest, EveryStopReplacesTheOldLogWithAnEmptyFile)
{
    Folder.Write(LogFileName, "A long line from an earlier run\r\nand another\r\n");
    LogFileStop();
    ASSERT_TRUE(fs::is_regular_file(Folder / LogFileName));
    EXPECT_EQ(fs::file_size(Folder / LogFileName), 0u);

    LogFileStart();
    LogFileStop();
    EXPECT_EQ(fs::file_size(Folder / LogFileName), 0u);
}

TEST_F(LogFileTest, WritesEachLineWithCarriageReturnAndLineFeedThenFreesTheLines)
{
    Folder.Write(LogFileName, std::string(1000, 'x'));
    LogLines = {"Started", "", "Stopped"};
    LogFileStop();
    EXPECT_EQ(Folder.Read(LogFileName), "Started\r\n\r\nStopped\r\n");
    EXPECT_TRUE(LogLines.empty());
    EXPECT_EQ(LogLines.capacity(), 0u);
}

TEST_F(LogFileTest, StartBeginsWithNoLineLeftFromBefore)
{
    LogLines = {"left over"};
    LogFileStart();
    LogFileStop();
    EXPECT_EQ(fs::file_size(Folder / LogFileName), 0u);
}

TEST_F(LogFileTest, AnUnwritableLogShowsNothingAndStillFreesTheLines)
{
    TErrorRecorder Errors;
    testing::internal::CaptureStderr();

    fs::create_directory(Folder / LogFileName);
    LogLines = {"cannot go anywhere"};
    LogFileStop();
    EXPECT_TRUE(fs::is_directory(Folder / LogFileName));
    EXPECT_TRUE(LogLines.empty());

    SetProgramFolder(Folder / "missing/folder");
    LogFileStart();
    LogLines = {"nor here"};
    LogFileStop();
    EXPECT_FALSE(fs::exists(Folder / "missing"));
    EXPECT_TRUE(LogLines.empty());
    SetProgramFolder(Folder.Path());

    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_TRUE(Errors.Messages.empty());
}

TEST_F(LogFileTest, IsWrittenInAProgramFolderBeyondASCII)
{
    const std::string Songs = Folder / "Zo\xC3\xAB \xE2\x99\xAA/";
    fs::create_directory(FilePath(Songs));
    SetProgramFolder(Songs);
    LogLines = {"Started"};
    LogFileStop();
    SetProgramFolder(Folder.Path());
    EXPECT_EQ(fs::file_size(FilePath(Songs + LogFileName)), 9u);
}
