#include "midi/JACKAudioBackend.h"

#include <jack/thread.h>
#include <pthread.h>

#include <algorithm>
#include <cstring>

#include "midi/SoundSystemRoutines.h"

TJACKAudioBackend::~TJACKAudioBackend()
{
    if (Client != nullptr)
        jack_client_close(Client);
}

bool TJACKAudioBackend::Connect()
{
    Client = jack_client_open(ClientName.c_str(), JackNoStartServer, nullptr);
    if (Client == nullptr)
        return false;
    Ports[0] = jack_port_register(Client, "left", JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput | JackPortIsTerminal, 0);
    Ports[1] = jack_port_register(Client, "right", JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput | JackPortIsTerminal, 0);
    if (Ports[0] == nullptr || Ports[1] == nullptr || jack_set_process_callback(Client, Process, this) != 0)
        return false;
    jack_on_info_shutdown(Client, OnShutdown, this);
    const std::vector<std::string> Speakers = TakeJACKPortNames(
        jack_get_ports(Client, nullptr, JACK_DEFAULT_AUDIO_TYPE, JackPortIsPhysical | JackPortIsInput));
    // A single speaker plays both sides.
    for (size_t Side = 0; Side < 2 && !Speakers.empty(); ++Side)
        Destinations[Side].push_back(Speakers[std::min(Side, Speakers.size() - 1)]);
    Rate = jack_get_sample_rate(Client);
    LatencyFrames = jack_get_buffer_size(Client);
    return true;
}

// For the process thread: whether both ports are connected again as they
// were before the pause (reading the server's graph waits for nothing).
bool TJACKAudioBackend::Reconnected() const
{
    for (size_t Side = 0; Side < 2; ++Side)
        if (static_cast<size_t>(jack_port_connected(Ports[Side])) < Awaited[Side].load(std::memory_order_relaxed))
            return false;
    return true;
}

int TJACKAudioBackend::Process(jack_nframes_t Frames, void* Backend)
{
    auto* Self = static_cast<TJACKAudioBackend*>(Backend);
    auto* Left = static_cast<float*>(jack_port_get_buffer(Self->Ports[0], Frames));
    auto* Right = static_cast<float*>(jack_port_get_buffer(Self->Ports[1], Frames));
    TFlow Flow = Self->Flow.load(std::memory_order_acquire);
    if (Flow == TFlow::Rejoining && Self->Reconnected() &&
        Self->Flow.compare_exchange_strong(Flow, TFlow::Flowing, std::memory_order_acq_rel))
        Flow = TFlow::Flowing;
    if (Flow == TFlow::Flowing) {
        Self->Output().Pull(Left, Right, static_cast<int>(Frames), 1);
    } else {
        std::memset(Left, 0, Frames * sizeof(float));
        std::memset(Right, 0, Frames * sizeof(float));
    }
    return 0;
}

void TJACKAudioBackend::OnShutdown(jack_status_t, const char*, void* Backend)
{
    static_cast<TJACKAudioBackend*>(Backend)->Output().MarkLost();
}

// A server that runs in real time lets its clients' threads do so too: the
// worker then rejoins the graph at once however busy the machine is, at the
// lowest real-time priority, below every audio thread. Without it the
// worker works on as it is.
void TJACKAudioBackend::HurryWorker()
{
    if (WorkerHurried)
        return;
    WorkerHurried = true;
    if (jack_is_realtime(Client))
        jack_acquire_real_time_scheduling(pthread_self(), 1);
}

// A connection that cannot be made again (its port went) does not hold the
// sound back: once every connection was tried, the sound flows.
bool TJACKAudioBackend::Resume()
{
    HurryWorker();
    for (size_t Side = 0; Side < 2; ++Side)
        Awaited[Side].store(Destinations[Side].size(), std::memory_order_relaxed);
    Flow.store(TFlow::Rejoining, std::memory_order_release);
    if (jack_activate(Client) != 0)
        return false;
    for (size_t Side = 0; Side < 2; ++Side)
        for (const std::string& Destination : Destinations[Side])
            jack_connect(Client, jack_port_name(Ports[Side]), Destination.c_str());
    TFlow Rejoining = TFlow::Rejoining;
    Flow.compare_exchange_strong(Rejoining, TFlow::Flowing, std::memory_order_acq_rel);
    return true;
}

// Closing the client after a new server has started under the old one's
// name would crash in libjack.
void TJACKAudioBackend::Abandon()
{
    jack_client_close(Client);
    Client = nullptr;
}

void TJACKAudioBackend::Pause()
{
    Flow.store(TFlow::Held, std::memory_order_release);
    if (Output().Lost())
        return;
    for (size_t Side = 0; Side < 2; ++Side)
        Destinations[Side] = TakeJACKPortNames(jack_port_get_connections(Ports[Side]));
    jack_deactivate(Client);
}
