#include <gtest/gtest.h>

#include "ErrorRecorder.h"
#include "support/ArrayRoutines.h"
#include "support/RangeRoutines.h"
#include "support/VCLRoutines.h"

TEST(PutStringAt, GrowsWithEmptyLinesAndReplacesOnlyItsPosition)
{
    TStringList Empty;
    PutStringAt(&Empty, "T", 3);
    EXPECT_EQ(Empty, (TStringList{"", "", "", "T"}));

    const TStringList Lines{"L0", "L1", "L2"};
    TStringList Middle = Lines;
    PutStringAt(&Middle, "T", 1);
    EXPECT_EQ(Middle, (TStringList{"L0", "T", "L2"}));

    TStringList AtEnd = Lines;
    PutStringAt(&AtEnd, "T", 3);
    EXPECT_EQ(AtEnd, (TStringList{"L0", "L1", "L2", "T"}));

    TStringList Beyond = Lines;
    PutStringAt(&Beyond, "T", 5);
    EXPECT_EQ(Beyond, (TStringList{"L0", "L1", "L2", "", "", "T"}));

    PutStringAt(nullptr, "T", 0);
}

TEST(DeleteAt, RemovesInsideBoundsAndIgnoresTheRest)
{
    TArrayInteger First{5, 7, 9};
    DeleteAt(First, 0);
    EXPECT_EQ(First, (TArrayInteger{7, 9}));

    TArrayInteger Last{5, 7, 9};
    DeleteAt(Last, 2);
    EXPECT_EQ(Last, (TArrayInteger{5, 7}));

    for (int32_t Outside : {3, -1, INT32_MIN, INT32_MAX}) {
        TArrayInteger Unchanged{5, 7, 9};
        DeleteAt(Unchanged, Outside);
        EXPECT_EQ(Unchanged, (TArrayInteger{5, 7, 9})) << Outside;
    }
    TArrayInteger Empty;
    DeleteAt(Empty, 0);
    EXPECT_TRUE(Empty.empty());
}

TEST(RangeRoutines, BoundsBelongToTheRangeAndClampTestsTheUpperBoundFirst)
{
    EXPECT_TRUE(InRange(0, 0, 127));
    EXPECT_TRUE(InRange(127, 0, 127));
    EXPECT_FALSE(InRange(128, 0, 127));
    EXPECT_FALSE(InRange(-1, 0, 127));

    EXPECT_EQ(Clamp(200, 0, 127), 127);
    EXPECT_EQ(Clamp(-5, 0, 127), 0);
    EXPECT_EQ(Clamp(64, 0, 127), 64);
    EXPECT_EQ(Clamp(5, 10, 1), 1);
    EXPECT_EQ(Clamp(0, 10, 1), 10);
    EXPECT_EQ(Clamp(INT32_MIN, 1, 16), 1);
    EXPECT_EQ(Clamp(INT32_MAX, 1, 16), 16);
}

TEST(ShowError, HandsEachMessageToThePresenterUnchangedAndInOrder)
{
    TErrorRecorder Errors;
    ShowError("First failure.");
    ShowError("First failure.");
    ShowError("Second one.");
    EXPECT_EQ(Errors.Messages, (std::vector<std::string>{"First failure.", "First failure.", "Second one."}));
}

TEST(ShowError, WritesToStandardErrorWithoutAPresenter)
{
    testing::internal::CaptureStderr();
    ShowError("Nobody shows this box.");
    const std::string Written = testing::internal::GetCapturedStderr();
    EXPECT_NE(Written.find("Application Error"), std::string::npos);
    EXPECT_NE(Written.find("Nobody shows this box."), std::string::npos);
}
