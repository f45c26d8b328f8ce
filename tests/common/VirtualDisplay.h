#pragma once

#include <sys/types.h>

#include <string>

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

// The output of a shell command, and its exit status in ExitStatus when asked.
std::string Output(const std::string& Command, int* ExitStatus = nullptr);
