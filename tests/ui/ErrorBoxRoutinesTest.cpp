#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "support/ErrorRoutines.h"
#include "ui/ErrorBoxRoutines.h"

namespace {

// A box that records what it shows and what is up meanwhile, and lets the
// test act while it is up.
class TRecordingBox final : public TModalErrorBox {
public:
    void Run(const std::string& Message) override
    {
        Shown.push_back(Message);
        EXPECT_TRUE(ErrorBoxShowing());
        if (WhileUp)
            std::exchange(WhileUp, nullptr)();
    }
    void Close() override { ++Closes; }

    std::vector<std::string> Shown;
    std::function<void()> WhileUp;
    int Closes = 0;
};

}

TEST(ErrorBoxRoutines, BoxesComeOneAtATimeThenTheClosedHandlerRunsAndOnceStoppingTheTextGoesToStandardError)
{
    TRecordingBox Box;
    ErrorBoxStart(Box);
    int ClosedHandlerRuns = 0;
    SetErrorBoxesClosedHandler([&] {
        EXPECT_FALSE(ErrorBoxShowing());
        ++ClosedHandlerRuns;
    });
    // A failure while the first box is up waits for it.
    Box.WhileUp = [&Box] {
        ShowError("Second");
        EXPECT_EQ(Box.Shown.size(), 1u);
    };
    ShowError("Device is not opended.");
    EXPECT_EQ(Box.Shown, (std::vector<std::string>{"Device is not opended.", "Second"}));
    EXPECT_EQ(ClosedHandlerRuns, 1);
    EXPECT_FALSE(ErrorBoxShowing());

    // Stopping closes the box that is up; what comes later shows no box.
    Box.WhileUp = [] { EndErrorBoxes(); };
    ShowError("Third");
    EXPECT_EQ(Box.Closes, 1);
    testing::internal::CaptureStderr();
    ShowError("Fourth");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Application Error: Fourth\n");
    EXPECT_EQ(Box.Shown.size(), 3u);
    SetErrorBoxesClosedHandler(nullptr);
    ErrorBoxStop();
}
