#pragma once

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "ErrorRecorder.h"
#include "RecordingMIDIOutService.h"
#include "TemporaryFolder.h"
#include "config/KlavoraConfigRoutines.h"
#include "core/MIDIPianoRoutines.h"
#include "midi/MIDIDevicesRoutines.h"
#include "support/ProgramFolderRoutines.h"

// The note player on a real settings file in a temporary program folder,
// with the mapper and two devices behind a recording service, the mapper open.
class PianoFixture : public testing::Test {
protected:
    TTemporaryFolder Folder;
    TRecordingMIDIOutService Service;
    TErrorRecorder Errors;

    void SetUp() override
    {
        SetProgramFolder(Folder.Path());
        Service.DeviceNames = {"Synth A", "Synth B"};
        KeyboardConfig.OpenConfig(Folder / "Setup.ini");
        MIDIDevices.Enumerate();
        MIDIDevices.Items[0].Open(1, 0);
        MIDIPianoStart();
        Service.ClearRecords();
    }

    void TearDown() override
    {
        MIDIPianoStop();
        MIDIDevices.Clear();
        KeyboardConfig.CloseConfig();
        SetProgramFolder("");
    }

    std::vector<std::string> Sent() const { return Service.SentTexts(); }

    // Every note the player tracks, as lists and slots.
    bool TracksNothing() const
    {
        return MIDIPiano.HeldNotes.empty() && MIDIPiano.SustainedNotes.empty() &&
               MIDIPiano.MouseSustainedNotes.empty() && MIDIPiano.LeftNote == -1 &&
               MIDIPiano.MiddleNote == -1 && MIDIPiano.RightNote == -1;
    }
};

using TTexts = std::vector<std::string>;

// What the player tells its observer, as "+60" when a note starts sounding
// and "-60" when it stops; a note told the same twice is a failure.
class TSoundingRecorder : public TSoundingObserver {
public:
    void SoundingChanged(int32_t Note, bool Sounding) override
    {
        Changes.push_back((Sounding ? "+" : "-") + std::to_string(Note));
        if (Lit.at(static_cast<size_t>(Note)) == Sounding)
            ADD_FAILURE() << "note " << Note << " told " << (Sounding ? "sounding" : "silent") << " twice";
        Lit.at(static_cast<size_t>(Note)) = Sounding;
    }

    TTexts Changes;
    std::array<bool, 128> Lit{};
};
