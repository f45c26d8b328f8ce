#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "VirtualDisplay.h"

// Wine as a user of this machine meets it, for every test of the run: a
// virtual X display of the test program's own, and a Wine prefix in the cross
// build's folder, made once with that display already there
// (scripts/wine-prefix). At the end the prefix's Wine server and everything
// under it stop.
class TWineDesktop : public testing::Environment {
public:
    void SetUp() override;
    void TearDown() override;

    // Why the tests cannot run the program here; empty when they can. Every
    // test fails with it, rather than being skipped.
    static std::string Problem;

private:
    std::optional<TVirtualDisplay> Display;
};

// The cross build's folder, from KLAVORA_WINDOWS_BUILD; empty when unset.
std::string WindowsBuildFolder();

// The run's Wine prefix, and the user's own folders in it (with a trailing
// separator): where Windows keeps programs (drive_c/Program Files/), every
// user's Start menu and the user's roaming application data.
std::string WinePrefixFolder();
std::string ProgramFilesFolder();
std::string CommonStartMenuFolder();
std::string RoamingAppDataFolder();

// The environment that runs a Windows program under the run's Wine prefix,
// quietly, without Wine's .NET and HTML engines and desktop menu entries;
// with the tests' own winmm.dll preferred to Wine's when a copy stands beside
// the program. The variables given are added.
std::vector<std::string> WineEnvironment(const std::vector<std::string>& Added = {});

// A Unix file name as a Windows program names it (Wine's drive Z: is "/").
std::string WindowsFileName(const std::string& UnixName);
