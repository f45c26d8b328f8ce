#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include <sys/types.h>

#include "JACKReceiver.h"
#include "JACKServer.h"
#include "TemporaryFolder.h"
#include "VirtualDisplay.h"

// Runs xdotool with the arguments on the display, then gives the program and
// JACK's next cycle time to pass the events on.
void Xdotool(const std::string& Arguments);

// The real program on a virtual X display, driven with real key and mouse
// events, its MIDI received on a JACK port of the test's own ("KlavoraTest:in").
class ProgramRunTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The receiver's position in the device list the program will build.
    int ReceiverPosition();

    // Starts the executable from another folder (the current one plays no
    // part), with the environment's NAME=value texts added, and waits for its
    // window; the window's id, or empty.
    std::string StartProgram(const std::string& Executable, const std::vector<std::string>& Environment = {});

    // Waits for the program to end; its exit status.
    int Stopped();

    // Clicks (or presses) a button at a point of the window's client area.
    void Mouse(const std::string& Window, int X, int Y, const std::string& Action);

    std::optional<TJACKServer> Server;
    TVirtualDisplay Display;
    TTemporaryFolder Folder;
    std::optional<TReceiver> Receiver;
    pid_t Program = -1;
};

// What a first start writes as the settings file.
inline constexpr const char* FreshSettingsFile =
    "[Keyboard]\nAccent=0\nSoft=0\nChannel=1\nGroup=0\nVoice=0\nOctave=4\nFade=0\nVolume=103\n"
    "Map=Tracker\nSustain=0\n[MIDI Out]\nDeviceID=0\n[Mouse]\nOctave=4\n[Config]\nPatch=GeneralMIDI.ini\n";

// Where the window's controls are, from their tabled geometry and the 5-pixel border.
inline constexpr int Border = 5;
inline constexpr int PianoTop = Border + 56 + 16;
inline int WhiteKeyCentre(int WhiteIndex) { return Border + 120 + 8 + 24 * WhiteIndex + 12; }
