#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include <signal.h>
#include <sys/wait.h>

#include "ProgramRunFixture.h"
#include "PulseAudioServer.h"

// The real program started again and again with both a JACK server and a
// PulseAudio server of the test's own, so that every start lists JACK's and
// ALSA's ports and starts the built-in synthesizer's audio. Rare hangs while
// those libraries set themselves up show only over many starts:
// KLAVORA_SOAK_STARTS sets how many (a few by default; `make soak` asks 200).

namespace {

int SoakStarts()
{
    const char* Starts = std::getenv("KLAVORA_SOAK_STARTS");
    return Starts != nullptr && std::atoi(Starts) > 0 ? std::atoi(Starts) : 3;
}

// Where each thread of the process is, as gdb sees it; empty without gdb.
std::string Stacks(pid_t Process)
{
    return Output("gdb -p " + std::to_string(Process) + " -batch -ex 'thread apply all bt' 2>/dev/null | grep '^#\\|^Thread'");
}

class StartupSoakTest : public ProgramRunTest {
protected:
    void SetUp() override
    {
        if (!PulseAudioInstalled())
            GTEST_SKIP() << "pulseaudio is not installed, so the synthesizer's audio cannot start here";
        ProgramRunTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        ASSERT_TRUE(Sound.Runs()) << Sound.Problem;
        CopyProgram(Folder.Path());
    }

    TPulseAudioServer Sound;
};

}

TEST_F(StartupSoakTest, EveryStartShowsTheWindowAndEveryStopEndsTheProgram)
{
    std::vector<std::string> Failures;
    const int Starts = SoakStarts();
    for (int Start = 1; Start <= Starts; ++Start) {
        Program = StartExecutable(Folder / "klavora", {}, Folder / "stderr.txt");
        if (VisibleWindow(MainWindowName).empty()) {
            const std::string Threads = Stacks(Program);
            kill(Program, SIGKILL);
            int Status = 0;
            waitpid(Program, &Status, 0);
            Program = -1;
            Failures.push_back("start " + std::to_string(Start) + ": no window, status " + std::to_string(Status) +
                               ", standard error:\n" + Folder.Read("stderr.txt") + "threads:\n" + Threads);
            continue;
        }
        kill(Program, SIGTERM);
        if (const int Code = Stopped(); Code != 0)
            Failures.push_back("start " + std::to_string(Start) + ": stop ended with " + std::to_string(Code));
        if (Program > 0) {
            kill(Program, SIGKILL);
            Stopped();
        }
    }
    EXPECT_TRUE(Failures.empty()) << Failures.size() << " of " << Starts << " starts failed, first "
                                  << Failures.front();
}
