#pragma once

#include <pipewire/pipewire.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <vector>

// What the PipeWire sink "klavora_null" plays, heard from its monitor by a
// capture stream of PipeWire's own: mono samples at 48 kHz, each stamped
// with the graph's time of the cycle that played it (when the sink played
// it, not when the listener got it). The server is the one the environment
// names (XDG_RUNTIME_DIR or PIPEWIRE_RUNTIME_DIR). Listens for at most
// MaxSeconds.
//
// A passive listener hears the sink while something else plays into it, as
// a sound card that nothing else plays to: the sink pauses while the
// program's stream does. One that is not keeps the sink running at its own
// quantum, 1024 frames, as another program playing does.
class TPipeWireMonitorListener {
public:
    explicit TPipeWireMonitorListener(bool Passive, double MaxSeconds = 300.0);
    ~TPipeWireMonitorListener();
    TPipeWireMonitorListener(const TPipeWireMonitorListener&) = delete;
    TPipeWireMonitorListener& operator=(const TPipeWireMonitorListener&) = delete;

    // Whether it is linked to the sink's monitor.
    bool Linked() const;
    std::vector<float> Samples() const;
    // When the frame Frame was played.
    std::chrono::steady_clock::time_point HeardAt(size_t Frame) const;
    // How many samples have arrived so far.
    size_t Heard() const { return Count.load(std::memory_order_acquire); }

private:
    static void OnProcess(void* Listener);

    // One cycle's buffer: the frames up to End, the first played at Played.
    struct TArrival {
        size_t End;
        int64_t Played;
    };

    pw_thread_loop* Loop = nullptr;
    pw_context* Context = nullptr;
    pw_core* Core = nullptr;
    pw_stream* Stream = nullptr;
    spa_hook Listener{};
    // Filled by the real-time thread only, within the room reserved at
    // construction; Count and Arrived say how far.
    std::vector<float> Sound;
    std::vector<TArrival> Arrivals;
    std::atomic<size_t> Count = 0;
    std::atomic<size_t> Arrived = 0;
};
