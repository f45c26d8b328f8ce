#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <string>
#include <vector>

#include "ProgramRunFixture.h"
#include "app/CommandLineRoutines.h"
#include "app/KlavoraProgram.h"

namespace {

const std::string BuildFolder = KLAVORA_BUILD_DIR;

// What answering the arguments printed, or "(not answered)".
std::string Answer(std::initializer_list<const char*> Arguments)
{
    std::vector<const char*> Argv{"klavora"};
    Argv.insert(Argv.end(), Arguments);
    char* Text = nullptr;
    size_t Size = 0;
    FILE* Out = open_memstream(&Text, &Size);
    const bool Answered = AnswerCommandLine(static_cast<int>(Argv.size()), Argv.data(), Out);
    std::fclose(Out);
    const std::string Printed(Text, Size);
    std::free(Text);
    return Answered ? Printed : "(not answered)";
}

bool Contains(const std::string& Text, const std::string& Part)
{
    return Text.find(Part) != std::string::npos;
}

}

TEST(CommandLine, OnlyHelpAndVersionAreAnsweredWhereverTheyStand)
{
    EXPECT_EQ(Answer({}), "(not answered)");
    EXPECT_EQ(Answer({"-h", "help", "--Help", "-version", "--versions", ""}), "(not answered)");
    EXPECT_EQ(Answer({"file.mid", "--version", "--help"}), std::string(ApplicationTitle) + " " KLAVORA_VERSION "\n");
    EXPECT_EQ(Answer({"--help"}).rfind("Usage: klavora [--help | --version]\n", 0), 0u);
}

TEST(CommandLine, HelpAndVersionAnswerOnStandardOutputWithoutADisplay)
{
    const std::string Program = "env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb '" + BuildFolder + "/klavora'";
    int Status = -1;
    const std::string Version = Output(Program + " --version 2>/dev/null", &Status);
    EXPECT_EQ(Status, 0);
    EXPECT_EQ(Version, std::string(ApplicationTitle) + " " KLAVORA_VERSION "\n");
    // The window's caption names the same version as the build.
    EXPECT_EQ(std::string(ProgramCaption), std::string(ApplicationTitle) + " v" KLAVORA_VERSION);

    const std::string Help = Output(Program + " --ignored --help 2>/dev/null", &Status);
    EXPECT_EQ(Status, 0);
    EXPECT_EQ(Help.rfind("Usage: klavora [--help | --version]\n", 0), 0u) << Help;
    // Beside the program, the settings are there too.
    EXPECT_TRUE(Contains(Help, "Settings:  " + BuildFolder + "/Setup.ini\n")) << Help;
}

