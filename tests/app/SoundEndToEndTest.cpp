#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "ProgramUnderTest.h"
#include "PulseAudioServer.h"

// The real program with its default settings (the mapper plays the built-in
// synthesizer), on a virtual X display, heard through a PulseAudio server of
// the test's own and no JACK server.

namespace {

using namespace std::chrono_literals;

class SoundEndToEndTest : public testing::Test, protected TProgramUnderTest {
protected:
    void SetUp() override
    {
        if (!PulseAudioInstalled())
            GTEST_SKIP() << "pulseaudio is not installed, so the program's sound cannot be heard here";
        ASSERT_TRUE(Server.Runs()) << Server.Problem;
        ASSERT_FALSE(Display.Name.empty()) << "Xvfb did not start";
    }

    void TearDown() override { End(); }

    // A JACK server of that name never runs: the program finds none.
    std::string Start() { return TProgramUnderTest::Start({"JACK_DEFAULT_SERVER=klavora-none-" + std::to_string(getpid())}); }

    TPulseAudioServer Server;
    TVirtualDisplay Display;
};

}

TEST_F(SoundEndToEndTest, AKeyIsHeardAsLoudAsOtherSynthesizersPlayOnAStreamNamedKlavora)
{
    const std::string Window = Start();
    ASSERT_FALSE(Window.empty()) << "no window appeared";
    TSinkRecording Recording(Server);
    // The SoundFont loads while the window shows.
    std::this_thread::sleep_for(500ms);
    ASSERT_EQ(std::system("xdotool keydown z sleep 0.6 keyup z >/dev/null 2>&1"), 0);
    std::this_thread::sleep_for(300ms);
    Recording.Stop();

    // The default velocity, 103, on the piano.
    const double Peak = Recording.PeakLevel();
    EXPECT_GT(Peak, -9.0);
    EXPECT_LT(Peak, -3.0);
    const std::string Streams = Server.Control("list sink-inputs");
    EXPECT_NE(Streams.find("application.name = \"Klavora\""), std::string::npos) << Streams;
    EXPECT_NE(Streams.find("media.name = \"Klavora Synthesizer\""), std::string::npos) << Streams;

    kill(Program, SIGTERM);
    EXPECT_EQ(Stopped(), 0);
    EXPECT_EQ(Folder.Read("Klavora.log"), "");
}
