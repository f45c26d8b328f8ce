#pragma once

// What the program shows and writes, as the end-to-end tests expect it.

// The caption of the main window and of every error box.
inline constexpr const char* MainWindowName = "Klavora Lite v2.9";
inline constexpr const char* ErrorBoxName = "Application Error";

// What a first start writes as the settings file (with the platform's line breaks).
inline constexpr const char* FreshSettingsFile =
    "[Keyboard]\nAccent=0\nSoft=0\nChannel=1\nGroup=0\nVoice=0\nOctave=4\nFade=0\nVolume=103\n"
    "Map=Tracker\nSustain=0\n[MIDI Out]\nDeviceID=0\n[Mouse]\nOctave=4\n[Config]\nPatch=GeneralMIDI.ini\n";
