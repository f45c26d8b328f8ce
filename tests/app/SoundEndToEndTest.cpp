#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "CalibratedSoundFont.h"
#include "ProgramRunFixture.h"
#include "PulseAudioServer.h"

// The real program with its default settings (the mapper plays the built-in
// synthesizer), heard through a PulseAudio server of the test's own and no
// JACK server.

namespace {

using namespace std::chrono_literals;

class SoundEndToEndTest : public ProgramRunTest {
protected:
    void SetUp() override
    {
        if (!PulseAudioInstalled())
            GTEST_SKIP() << "pulseaudio is not installed, so the program's sound cannot be heard here";
        ASSERT_TRUE(Sound.Runs()) << Sound.Problem;
        ASSERT_FALSE(Display.Name.empty()) << "Xvfb did not start";
        CopyProgram(Folder.Path());
        // A SoundFont beside the program is the one it plays.
        std::filesystem::create_symlink(CalibratedSoundFont[0], Folder / "TimGM6mb.sf2");
    }

    // A JACK server of that name never runs: the program finds none.
    std::string Start()
    {
        return StartProgram(Folder / "klavora", {"JACK_DEFAULT_SERVER=klavora-none-" + std::to_string(getpid())});
    }

    TPulseAudioServer Sound;
};

}

TEST_F(SoundEndToEndTest, AKeyIsHeardAsLoudAsOtherSynthesizersPlayOnAStreamNamedKlavora)
{
    ASSERT_FALSE(Start().empty()) << "no window appeared";
    TSinkRecording Recording(Sound);
    // The SoundFont loads while the window shows.
    std::this_thread::sleep_for(500ms);
    Xdotool("keydown z sleep 0.6 keyup z");
    std::this_thread::sleep_for(300ms);
    Recording.Stop();

    // The default velocity, 103, on the piano.
    const double Peak = Recording.PeakLevel();
    EXPECT_GT(Peak, -9.0);
    EXPECT_LT(Peak, -3.0);
    const std::string Streams = Sound.Control("list sink-inputs");
    EXPECT_NE(Streams.find("application.name = \"Klavora\""), std::string::npos) << Streams;
    EXPECT_NE(Streams.find("media.name = \"Klavora Synthesizer\""), std::string::npos) << Streams;

    kill(Program, SIGTERM);
    EXPECT_EQ(Stopped(), 0);
    EXPECT_EQ(Folder.Read("Klavora.log"), "");
}
