#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include <sys/types.h>

#include "ChildProcess.h"
#include "CommandOutput.h"
#include "JACKReceiver.h"
#include "JACKServer.h"
#include "ProgramTexts.h"
#include "TemporaryFolder.h"
#include "VirtualDisplay.h"

// Copies the built program and the data files it ships with into Folder
// (ending with a separator).
void CopyProgram(const std::string& Folder);

// Starts the executable from "/" (the current folder plays no part) with the
// environment's NAME=value texts set (a bare NAME unsets that variable); its
// standard error goes to ErrorFile, or nowhere when that is empty. Its id.
pid_t StartExecutable(const std::string& Executable, const std::vector<std::string>& Environment = {},
                      const std::string& ErrorFile = {});

// Whether the window is the top-most one on the display and no other window
// covers any part of it; if not, Why says which window covers it.
bool OnTopAndUncovered(const std::string& Window, std::string& Why);

// The environment that leaves the program without any sound system: a JACK
// server name that no server uses, a PulseAudio server and a PipeWire that
// are not there (and this machine has no sound hardware).
std::vector<std::string> NoSoundSystem();

// The real program, copied with its data files into a fresh folder, run
// without a JACK server of the test's own.
class TProgramRun {
public:
    TProgramRun();
    // A program still running is killed.
    ~TProgramRun();
    TProgramRun(const TProgramRun&) = delete;
    TProgramRun& operator=(const TProgramRun&) = delete;

    // Starts the copy; its standard error goes to StandardError().
    void Start(const std::vector<std::string>& Environment = {});
    void Signal(int Number) const;
    int Stopped(std::chrono::milliseconds Limit = std::chrono::seconds(5)) { return Ended(Program, Limit); }
    std::string StandardError() const { return Folder.Read("stderr.txt"); }

    TTemporaryFolder Folder;
    pid_t Program = -1;
};

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

    // Waits for the program to end; its exit code.
    int Stopped() { return Ended(Program); }

    std::optional<TJACKServer> Server;
    TVirtualDisplay Display;
    TTemporaryFolder Folder;
    std::optional<TReceiver> Receiver;
    pid_t Program = -1;
};

// The real program copied with its data files into the test's folder.
class EndToEndTest : public ProgramRunTest {
protected:
    void SetUp() override
    {
        ProgramRunTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        CopyProgram(Folder.Path());
    }

    // Starts the copy and waits for its window; the window's id, or empty.
    std::string Start() { return StartProgram(Folder / "klavora"); }

    // Chooses the receiver as the output device, as a user would in Setup.ini,
    // and starts the program; the window's id, or empty.
    std::string StartOnTheReceiver()
    {
        const int Position = ReceiverPosition();
        if (Position < 0)
            return {};
        Folder.Write("Setup.ini", "[MIDI Out]\nDeviceID=" + std::to_string(Position) + "\n");
        return Start();
    }
};

// Where the window's controls are, from their tabled geometry and the 5-pixel border.
inline constexpr int Border = 5;
inline constexpr int PianoTop = Border + 56 + 16;
inline int WhiteKeyCentre(int WhiteIndex) { return Border + 120 + 8 + 24 * WhiteIndex + 12; }
