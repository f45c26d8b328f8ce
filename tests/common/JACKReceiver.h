#pragma once

#include <rtmidi/RtMidi.h>

#include <chrono>
#include <string>
#include <vector>

// A JACK MIDI input port of the test's own, as a synthesizer or a DAW offers.
class TReceiver {
public:
    TReceiver(const std::string& Client, const std::string& Port);

    // Everything that arrives within Limit after the last arrival, as texts
    // such as "90 3C 64".
    std::vector<std::string> Received(std::chrono::milliseconds Limit = std::chrono::milliseconds(300));

    RtMidiIn In;
    const std::string Name;
};
