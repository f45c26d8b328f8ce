#pragma once

#include <string>

// The output of a shell command, and its exit status in ExitStatus when asked.
std::string Output(const std::string& Command, int* ExitStatus = nullptr);
