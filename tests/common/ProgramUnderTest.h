#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "TemporaryFolder.h"

// What a shell command prints on its standard output.
std::string CommandOutput(const std::string& Command);

// An X server of the test's own; DISPLAY names it while it lives.
class TVirtualDisplay {
public:
    TVirtualDisplay();
    ~TVirtualDisplay();
    TVirtualDisplay(const TVirtualDisplay&) = delete;
    TVirtualDisplay& operator=(const TVirtualDisplay&) = delete;

    std::string Name;

private:
    pid_t Server = -1;
};

// The real program, copied into a fresh folder with its data files and
// started from another folder (the current one plays no part) on the display
// DISPLAY names. Killed if it still runs when this goes.
class TProgramUnderTest {
public:
    TProgramUnderTest();
    ~TProgramUnderTest();
    TProgramUnderTest(const TProgramUnderTest&) = delete;
    TProgramUnderTest& operator=(const TProgramUnderTest&) = delete;

    // Starts the program, with Environment ("NAME=value") added to its own,
    // and waits for its window to show and take the focus; the window's id,
    // or empty.
    std::string Start(const std::vector<std::string>& Environment = {});
    // Waits for the program to end; its exit status.
    int Stopped();
    // Kills the program if it still runs.
    void End();

    TTemporaryFolder Folder;
    pid_t Program = -1;
};
