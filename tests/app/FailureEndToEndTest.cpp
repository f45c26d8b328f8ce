#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "ProgramOnDisplay.h"
#include "app/DisplayOpeningRoutines.h"

// The real program where something it needs is missing: a display, a sound
// system, a readable key map, a writable settings file.

namespace {

// A display name that no X server answers to.
std::string AbsentDisplay()
{
    for (int Number = 4000;; ++Number)
        if (!std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(Number)) &&
            !std::filesystem::exists("/tmp/.X" + std::to_string(Number) + "-lock"))
            return ":" + std::to_string(Number);
}

}

TEST(NoDisplayTest, WithoutAnyDisplayOrWithAnAbsentOneTheProgramSaysSoOnOneLineAndEndsWithCodeOne)
{
    const std::string Absent = AbsentDisplay();
    for (const std::string& Display : {std::string(), Absent}) {
        SCOPED_TRACE("DISPLAY=" + Display);
        TProgramRun Run;
        Run.Start({{"DISPLAY", Display}, {"WAYLAND_DISPLAY", ""}, {"XDG_SESSION_TYPE", ""}});
        EXPECT_EQ(Run.Stopped(), 1);
        EXPECT_EQ(Run.StandardError(), std::string(NoDisplayMessage) + "\n");
    }
}
