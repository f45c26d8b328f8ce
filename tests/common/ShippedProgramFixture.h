#pragma once

#include <gtest/gtest.h>

#include "RecordingMIDIOutService.h"
#include "TemporaryFolder.h"

// The whole program in a fresh program folder holding the shipped key map and
// catalogue (and a log an earlier run left), with two MIDI devices behind a
// recording service.
class TShippedProgramTest : public testing::Test {
protected:
    TTemporaryProgramFolder Folder;
    TRecordingMIDIOutService Service;

    void SetUp() override
    {
        Folder.CopyShipped("Keyboard.ini");
        Folder.CopyShipped("GeneralMIDI.ini");
        Folder.Write("Klavora.log", "what an earlier run left\r\n");
        Service.DeviceNames = {"Synth One", "Synth Two"};
    }
};
