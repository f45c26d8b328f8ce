#pragma once

#include <sys/types.h>

#include <string>

#include "EnvironmentVariable.h"
#include "TemporaryFolder.h"

// A PipeWire of the test's own, as a desktop runs it: the daemon, WirePlumber
// and pipewire-pulse on a D-Bus session of their own, with one null sink,
// "klavora_null" (48 kHz, stereo), from a drop-in of its configuration.
// While it lives, PIPEWIRE_RUNTIME_DIR names it and PULSE_SERVER is unset, so
// that the program and the PipeWire tools in this process and its children
// play into it. Should the test program die, the server goes with it.
class TPipeWireServer {
public:
    TPipeWireServer();
    ~TPipeWireServer();
    TPipeWireServer(const TPipeWireServer&) = delete;
    TPipeWireServer& operator=(const TPipeWireServer&) = delete;

    bool Runs() const { return Problem.empty(); }
    // Why no server runs; empty while one does.
    std::string Problem;
    // The address of its PulseAudio server, for parec and pactl.
    std::string PulseAddress() const;

    // Ends the server at once, as a crash would; Start brings it back.
    void Kill();
    void Start();

private:
    TTemporaryFolder Folder;
    TEnvironmentVariable Runtime;
    TEnvironmentVariable NoPulseServer{"PULSE_SERVER", std::nullopt};
    // The session's process group; the pipe whose end tells it to stop.
    pid_t Session = 0;
    int Lifeline = -1;
};

// Whether the pipewire, wireplumber and pipewire-pulse programs are installed.
bool PipeWireInstalled();

// What pw-dump prints of the node named NodeName on the PipeWire that the
// environment names: its state and its properties; empty when there is none.
std::string PipeWireNode(const std::string& NodeName);
