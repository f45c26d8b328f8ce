#pragma once

#include <chrono>
#include <string>
#include <vector>

#include <sys/types.h>

// Forks a child that dies with the test program; in the child, the standard
// streams go to /dev/null unless kept. The child's id (0 in the child).
pid_t ForkChild(bool KeepStandardStreams = false);

// Ends a child with SIGTERM and waits for it; nothing for an id <= 0.
void EndChild(pid_t Child);

// Starts Arguments (the program first, looked up in PATH) from "/" (the
// current folder plays no part) with the environment's NAME=value texts set
// (a bare NAME unsets that variable); its standard error goes to ErrorFile,
// or nowhere when that is empty. Its id.
pid_t StartProcess(const std::vector<std::string>& Arguments, const std::vector<std::string>& Environment = {},
                   const std::string& ErrorFile = {});

// Waits up to Limit for the program to end: its exit code (and Program
// becomes -1), or -1 when it still runs or ended through a signal.
int Ended(pid_t& Program, std::chrono::milliseconds Limit = std::chrono::seconds(5));
