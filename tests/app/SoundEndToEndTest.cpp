#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "CalibratedSoundFont.h"
#include "PipeWireServer.h"
#include "ProgramRunFixture.h"
#include "PulseAudioServer.h"

// The real program with its default settings (the mapper plays the built-in
// synthesizer), heard through a PulseAudio server or a PipeWire of the test's
// own and no JACK server.

namespace {

using namespace std::chrono_literals;

// The program, started with a SoundFont beside it, plays a key while a
// recording runs: the peak level heard.
class SoundEndToEndTest : public ProgramRunTest {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(Display.Name.empty()) << "Xvfb did not start";
        CopyProgram(Folder.Path());
        // A SoundFont beside the program is the one it plays.
        std::filesystem::create_symlink(CalibratedSoundFont[0], Folder / "TimGM6mb.sf2");
    }

    // A JACK server of that name never runs: the program finds none.
    double PeakOfAKey(const std::string& PulseAddress)
    {
        if (StartProgram(Folder / "klavora", {"JACK_DEFAULT_SERVER=klavora-none-" + std::to_string(getpid())})
                .empty()) {
            ADD_FAILURE() << "no window appeared";
            return -1000.0;
        }
        TSinkRecording Recording(PulseAddress);
        // The SoundFont loads while the window shows.
        std::this_thread::sleep_for(500ms);
        Xdotool("keydown z sleep 0.6 keyup z");
        std::this_thread::sleep_for(300ms);
        Recording.Stop();
        return Recording.PeakLevel();
    }

    void StopCleanly()
    {
        kill(Program, SIGTERM);
        EXPECT_EQ(Stopped(), 0);
        EXPECT_EQ(Folder.Read("Klavora.log"), "");
    }
};

class PulseAudioEndToEndTest : public SoundEndToEndTest {
protected:
    void SetUp() override
    {
        if (!PulseAudioInstalled())
            GTEST_SKIP() << "pulseaudio is not installed, so the program's sound cannot be heard here";
        ASSERT_TRUE(Sound.Runs()) << Sound.Problem;
        SoundEndToEndTest::SetUp();
    }

    TPulseAudioServer Sound;
};

class PipeWireEndToEndTest : public SoundEndToEndTest {
protected:
    void SetUp() override
    {
        if (!PipeWireInstalled())
            GTEST_SKIP() << "PipeWire is not installed, so the program's sound cannot be heard through it here";
        ASSERT_TRUE(Sound.Runs()) << Sound.Problem;
        SoundEndToEndTest::SetUp();
    }

    TPipeWireServer Sound;
};

}

// The default velocity, 103, on the piano.
TEST_F(PulseAudioEndToEndTest, AKeyIsHeardAsLoudAsOtherSynthesizersPlayOnAStreamNamedKlavora)
{
    const double Peak = PeakOfAKey(Sound.Address());
    EXPECT_GT(Peak, -9.0);
    EXPECT_LT(Peak, -3.0);
    const std::string Streams = Sound.Control("list sink-inputs");
    EXPECT_NE(Streams.find("application.name = \"Klavora\""), std::string::npos) << Streams;
    EXPECT_NE(Streams.find("media.name = \"Klavora Synthesizer\""), std::string::npos) << Streams;
    StopCleanly();
}

// PipeWire's own stream, not its PulseAudio server, plays the synthesizer.
TEST_F(PipeWireEndToEndTest, AKeyIsHeardAsLoudAsOtherSynthesizersPlayOnAStreamNamedKlavora)
{
    const double Peak = PeakOfAKey(Sound.PulseAddress());
    EXPECT_GT(Peak, -9.0);
    EXPECT_LT(Peak, -3.0);
    const std::string Stream = PipeWireNode("Klavora");
    EXPECT_NE(Stream.find("\"application.name\": \"Klavora\""), std::string::npos) << Stream;
    EXPECT_NE(Stream.find("\"media.name\": \"Klavora Synthesizer\""), std::string::npos) << Stream;
    EXPECT_EQ(Stream.find("\"client.api\": \"pipewire-pulse\""), std::string::npos) << Stream;
    StopCleanly();
}
