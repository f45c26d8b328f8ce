#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <thread>

#include "MappedWindows.h"
#include "VirtualDisplay.h"
#include "WindowsProgramRun.h"

// The Windows program under Wine, as a Windows user meets it: its real
// window, keys and mouse, the MIDI it hands to the tests' own winmm.dll, and
// the files it leaves beside itself.

namespace {

using namespace std::chrono_literals;

std::string WithCRLF(const std::string& Text)
{
    std::string Lines;
    for (char Character : Text)
        Lines += Character == '\n' ? std::string("\r\n") : std::string(1, Character);
    return Lines;
}

std::string Hex(int Byte)
{
    char Text[4];
    std::snprintf(Text, sizeof Text, "%02X", Byte);
    return Text;
}

// The texts of the message boxes that Wine reported showing ("+msgbox" in
// WINEDEBUG), in order.
TTexts MessageBoxTexts(const std::string& WineOutput)
{
    TTexts Texts;
    std::istringstream Lines(WineOutput);
    for (std::string Line; std::getline(Lines, Line);) {
        const size_t Start = Line.find("trace:msgbox:MSGBOX_OnInit L\"");
        if (Start == std::string::npos)
            continue;
        const size_t TextStart = Line.find('"', Start) + 1;
        Texts.push_back(Line.substr(TextStart, Line.rfind('"') - TextStart));
    }
    return Texts;
}

}

TEST_F(WindowsProgramTest, TheSplashComesFirstAHeldKeyPlaysOneNoteAndAltF4LeavesAnEmptyLog)
{
    CopyProgram();
    Folder.Write("Klavora.log", "left by an earlier run\r\n");
    TMappedWindows Mapped;
    Start();
    ASSERT_FALSE(MainWindow().empty()) << "no main window showed";
    const TTexts Titles = Mapped.Titles();
    const auto Splash = std::find(Titles.begin(), Titles.end(), "Klavora.Lite");
    EXPECT_LT(Splash, std::find(Titles.begin(), Titles.end(), MainWindowName)) << "the splash did not show first";

    EXPECT_EQ(Folder.Read("Setup.ini"), WithCRLF(FreshSettingsFile));
    // Opening the mapper sends the program change, and applying the channel sends it again.
    EXPECT_EQ(MIDI.Received(3), (TTexts{"-1 open", "-1 C0 00", "-1 C0 00"}));

    // The X server repeats the held key, as desktops have it.
    ASSERT_EQ(std::system("xset r on r rate 250 30"), 0);
    Xdotool("keydown z");
    std::this_thread::sleep_for(2s);
    Xdotool("keyup z");
    EXPECT_EQ(MIDI.Received(2), (TTexts{"-1 90 30 67", "-1 80 30 00"}));

    EXPECT_EQ(CloseWithAltF4(), 0);
    EXPECT_EQ(MIDI.Received(1), TTexts{"-1 close"});
    ASSERT_TRUE(std::filesystem::exists(Folder / "Klavora.log"));
    EXPECT_EQ(Folder.Read("Klavora.log"), "");
}

TEST_F(WindowsProgramTest, EveryMouseButtonPlaysThePianoKeyUnderThePointer)
{
    CopyProgram();
    Start();
    ASSERT_FALSE(MainWindow().empty()) << "no main window showed";
    MIDI.Received();
    // Left on the lowest white key below the black keys, middle on the first
    // black key, right on the third white key.
    struct TPress {
        int Button;
        int Offset;
        int Y;
    };
    for (const TPress Press : {TPress{1, 0, 70}, TPress{2, 1, 30}, TPress{3, 4, 70}}) {
        const std::string Button = std::to_string(Press.Button);
        const std::string Note = Hex(48 + Press.Offset);
        AtControl(PianoKey(Press.Offset), 8, Press.Y, "mousedown " + Button);
        EXPECT_EQ(MIDI.Received(1), TTexts{"-1 90 " + Note + " 67"}) << "button " << Button;
        Xdotool("mouseup " + Button);
        EXPECT_EQ(MIDI.Received(1), TTexts{"-1 80 " + Note + " 00"}) << "button " << Button;
    }
    EXPECT_EQ(CloseWithAltF4(), 0);
}

TEST_F(WindowsProgramTest, TheListsChangeTheChannelTheInstrumentAndTheDevice)
{
    CopyProgram();
    Start();
    ASSERT_FALSE(MainWindow().empty()) << "no main window showed";
    MIDI.Received();

    ChooseFromList(TFormControl::ComboBox5, 2, 12);
    EXPECT_EQ(Setting("Channel"), "3");
    EXPECT_EQ(MIDI.Received(1), TTexts{"-1 C2 00"});

    // The second voice of the pianos.
    ChooseFromList(TFormControl::ComboBox3, 1, 8);
    EXPECT_EQ(Setting("Voice"), "1");
    EXPECT_EQ(MIDI.Received(1), TTexts{"-1 C2 01"});

    // The first device after the mapper: the mapper closes, the device opens
    // and starts on the user's channel and instrument.
    ChooseFromList(TFormControl::ComboBox1, 1, 3);
    EXPECT_EQ(Setting("DeviceID"), "1");
    EXPECT_EQ(MIDI.Received(3), (TTexts{"-1 close", "0 open", "0 C2 01"}));

    Xdotool("key z");
    EXPECT_EQ(MIDI.Received(2), (TTexts{"0 92 30 67", "0 82 30 00"}));
    EXPECT_EQ(CloseWithAltF4(), 0);
    EXPECT_EQ(MIDI.Received(1), TTexts{"0 close"});
}

TEST_F(WindowsProgramTest, TheTrackBarsSetTheVelocitiesOfTheNextNote)
{
    CopyProgram();
    Start();
    ASSERT_FALSE(MainWindow().empty()) << "no main window showed";
    MIDI.Received();
    // Each thumb dragged from its end to the other: Voice Volume stands at
    // its highest, Voice Velocity at its lowest.
    const TRect Volume = PlaceOf(TFormControl::TrackBar1).Place;
    AtControl(TFormControl::TrackBar1, Volume.Width - 12, 10, "mousedown 1");
    Xdotool("mousemove_relative -- -" + std::to_string(Volume.Width) + " 0");
    Xdotool("mouseup 1");
    const TRect Velocity = PlaceOf(TFormControl::TrackBar2).Place;
    AtControl(TFormControl::TrackBar2, 12, 10, "mousedown 1");
    Xdotool("mousemove_relative -- " + std::to_string(Velocity.Width) + " 0");
    Xdotool("mouseup 1");

    const int NoteOnVelocity = std::atoi(Setting("Volume").c_str());
    const int NoteOffVelocity = std::atoi(Setting("Fade").c_str());
    EXPECT_EQ(NoteOnVelocity, 23);
    EXPECT_EQ(NoteOffVelocity, 127);
    Xdotool("key z");
    EXPECT_EQ(MIDI.Received(2),
              (TTexts{"-1 90 30 " + Hex(NoteOnVelocity), "-1 80 30 " + Hex(NoteOffVelocity)}));
    EXPECT_EQ(CloseWithAltF4(), 0);
}

// Wine's own MIDI service has no device on this machine: its mapper answers
// 69 (MIDIERR_INVALIDSETUP), a code the program has no text of its own for.
// Wine reports the text of every message box it shows ("+msgbox").
TEST_F(WindowsProgramTest, WithWinesOwnMIDIServiceTheErrorBoxTellsWhatOpeningTheMapperAnswered)
{
    CopyProgram(false);
    Start({"WINEDEBUG=-all,+msgbox"});
    // Every box comes before the main window shows; OK dismisses each.
    int Boxes = 0;
    for (;;) {
        std::string Box;
        bool MainWindowShows = false;
        for (int Try = 0; Try < 200 && Box.empty() && !MainWindowShows; ++Try) {
            Box = VisibleWindow(ErrorBoxName, 0ms);
            MainWindowShows = !VisibleWindow(MainWindowName, 0ms).empty();
        }
        if (Box.empty())
            break;
        ++Boxes;
        Xdotool("windowfocus --sync " + Box);
        Xdotool("key Return");
    }
    ASSERT_FALSE(MainWindow().empty()) << "no main window showed after " << Boxes << " boxes";
    // The port stays closed, so the program change of the channel that the
    // window applies next finds it so.
    const TTexts Texts = MessageBoxTexts(Folder.Read("stderr.txt"));
    EXPECT_EQ(Texts, (TTexts{"Open Function. Undefined MIDI Error.", "Device is not opended."}));
    EXPECT_EQ(static_cast<int>(Texts.size()), Boxes);
    EXPECT_EQ(CloseWithAltF4(), 0);
    EXPECT_EQ(Folder.Read("Klavora.log"), "");
}
