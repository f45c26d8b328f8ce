#pragma once

#include <jack/jack.h>

#include <atomic>
#include <cstddef>
#include <string>
#include <vector>

#include "midi/AudioBackend.h"

// JACK: a client whose two output ports are taken out of the server's
// process graph while paused. Taking it out drops its connections, so they
// are noted and made again on resuming: first to the system's playback ports,
// later to wherever the user routed them. Rejoining the graph takes the
// server a cycle or two; the note that woke the output starts in the first
// cycle in which those connections are back.
class TJACKAudioBackend final : public TAudioBackend {
public:
    explicit TJACKAudioBackend(const std::string& ClientName) : ClientName(ClientName) {}
    ~TJACKAudioBackend() override;

    bool Resume() override;
    void Pause() override;
    void Abandon() override;

private:
    // Held while out of the graph; Rejoining until the noted connections
    // are back, when what is pulled is heard everywhere it was before.
    enum class TFlow { Held, Rejoining, Flowing };

    bool Connect() override;
    bool Reconnected() const;
    void HurryWorker();

    static int Process(jack_nframes_t Frames, void* Backend);
    static void OnShutdown(jack_status_t, const char*, void* Backend);

    std::string ClientName;
    jack_client_t* Client = nullptr;
    jack_port_t* Ports[2] = {};
    std::vector<std::string> Destinations[2];
    // How many connections each port has once they are all made again.
    std::atomic<size_t> Awaited[2] = {0, 0};
    std::atomic<TFlow> Flow = TFlow::Held;
    bool WorkerHurried = false;
};
