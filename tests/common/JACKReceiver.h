#pragma once

#include <jack/jack.h>
#include <jack/ringbuffer.h>

#include <chrono>
#include <string>
#include <vector>

// A JACK MIDI input port of the test's own, as a synthesizer or a DAW offers.
// Closing it deactivates the client before its port goes, so that no cycle
// ever reads a port that is being removed.
class TReceiver {
public:
    TReceiver(const std::string& Client, const std::string& Port);
    ~TReceiver();
    TReceiver(const TReceiver&) = delete;
    TReceiver& operator=(const TReceiver&) = delete;

    // Everything that arrives within Limit after the last arrival, as texts
    // such as "90 3C 64".
    std::vector<std::string> Received(std::chrono::milliseconds Limit = std::chrono::milliseconds(300));

    const std::string Name;

private:
    static int Process(jack_nframes_t Frames, void* Receiver);

    jack_client_t* Client = nullptr;
    jack_port_t* In = nullptr;
    jack_ringbuffer_t* Queue = nullptr;
};
