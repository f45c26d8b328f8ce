#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include <sys/types.h>

#include "ProgramTexts.h"
#include "TemporaryFolder.h"
#include "ui/KlavoraFormLayout.h"

using TTexts = std::vector<std::string>;

// The MIDI that the tests' own winmm.dll saw, from the file it writes.
class TMIDILog {
public:
    explicit TMIDILog(std::string File) : File(std::move(File)) {}

    // The lines written since the last call, once Expected of them are there
    // and the program has gone quiet, without their times: "-1 open",
    // "0 90 30 67" (device, then what).
    TTexts Received(size_t Expected = 0);

private:
    std::string File;
    size_t Read = 0;
};

// The Windows program of the cross build, copied with its data files into a
// fresh folder and run under Wine on the run's display, driven with real key
// and mouse events; with the tests' own winmm.dll beside it unless a test
// asks for Wine's.
class WindowsProgramTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Copies the program, and the stand-in winmm.dll when asked.
    void CopyProgram(bool WithStandIn = true);

    // Starts the copy (or another Executable) with the environment's
    // NAME=value texts added; its standard error goes to "stderr.txt" of the
    // folder.
    void Start(const std::vector<std::string>& Environment = {}, const std::string& Executable = {});

    // Waits for the main window, gives it the keyboard and finds its client
    // area; the window's id, or empty when none showed.
    std::string MainWindow();

    // The pointer moved to a point of a control (relative to its top left
    // corner), then Action ("click 1", "mousedown 2").
    void AtControl(TFormControl Control, int X, int Y, const std::string& Action);
    void AtControlCentre(TFormControl Control, const std::string& Action);

    // Chooses the item at Index of a list, with the mouse as a user does:
    // opens its drop-down list and clicks the item. Count is the number of
    // items the list holds.
    void ChooseFromList(TFormControl List, int Index, int Count);

    // Closes the main window as a user does, with Alt+F4, and waits for the
    // program to end; its exit code.
    int CloseWithAltF4();
    int Stopped(std::chrono::milliseconds Limit = std::chrono::seconds(10));

    // The value of a setting in the program's "Setup.ini" ([Keyboard] Volume: "Volume").
    std::string Setting(const std::string& Key) const;

    TTemporaryFolder Folder;
    TMIDILog MIDI{Folder / "midi.log"};
    pid_t Program = -1;
    std::string Window;
    // Where the window's client area starts within its X window: Wine draws
    // its own frame around it.
    int ClientX = 0;
    int ClientY = 0;
};
