#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// What every fuzz target shares: a check that ends the run, and a folder of
// the run's own for the files the input becomes.

// Aborts (which the fuzzer reports with the input) unless Holds.
void Require(bool Holds, const char* What);

// The folder, with its trailing separator: made at the first call, in memory
// where the system offers it (every write flushes to disk), removed when the
// run ends. Error messages go nowhere while it lives.
const std::string& FuzzFolder();

// Writes the bytes as the file of that name in the folder; its full name.
std::string WriteFuzzFile(const std::string& Name, const uint8_t* Data, size_t Size);
