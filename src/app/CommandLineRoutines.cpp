#include "app/CommandLineRoutines.h"

#include <string_view>

#include "app/KlavoraProgram.h"
#include "support/ProgramFolderRoutines.h"

namespace {

// The MIDI outputs the system offers, and how keys map.
#ifdef _WIN32
constexpr const char* Outputs = "(a MIDI output device of Windows). Keys follow their place on the keyboard,\n"
                                "whatever its layout.\n";
#else
constexpr const char* Outputs = "(the built-in synthesizer, a JACK or an ALSA port). Keys follow their place on\n"
                                "the keyboard, whatever its layout.\n";
#endif

void PrintHelp(std::FILE* Out)
{
    std::fprintf(Out,
                 "Usage: klavora [--help | --version]\n"
                 "\n"
                 "%s turns the computer keyboard and mouse into a MIDI keyboard controller:\n"
                 "PC keys and the piano keys of its window play notes on the chosen MIDI output\n"
                 "%s"
                 "\n"
                 "  --help     show this text and exit\n"
                 "  --version  show the version and exit\n"
                 "\n"
                 "Settings:  %s\n"
                 "Key maps:  %s\n"
                 "Help:      %s\n",
                 ApplicationTitle, Outputs, SettingsFile("Setup.ini").c_str(), DataFile("Keyboard.ini").c_str(),
                 (DataFolder() + "Readme.txt").c_str());
}

}

bool AnswerCommandLine(int Argc, const char* const* Argv, std::FILE* Out)
{
    for (int Index = 1; Index < Argc; ++Index) {
        const std::string_view Argument = Argv[Index];
        if (Argument == "--help") {
            PrintHelp(Out);
            return true;
        }
        if (Argument == "--version") {
            std::fprintf(Out, "%s %s\n", ApplicationTitle, ProgramVersion);
            return true;
        }
    }
    return false;
}
