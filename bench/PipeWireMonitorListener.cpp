#include "PipeWireMonitorListener.h"

#include <algorithm>
#include <thread>

#include "midi/PipeWireAudioBackend.h"

namespace {

using TClock = std::chrono::steady_clock;

constexpr double Rate = 48000.0;

}

TPipeWireMonitorListener::TPipeWireMonitorListener(bool Passive, double MaxSeconds)
    : Sound(static_cast<size_t>(MaxSeconds * Rate)), Arrivals(Sound.size() / 16)
{
    pw_init(nullptr, nullptr);
    Loop = pw_thread_loop_new("monitor listener", nullptr);
    // The client's configuration that runs its data thread in real time, as
    // the program's: a busy machine delays neither.
    Context = pw_context_new(pw_thread_loop_get_loop(Loop),
                             pw_properties_new(PW_KEY_CONFIG_NAME, "client-rt.conf", nullptr), 0);
    Core = pw_context_connect(Context, nullptr, 0);
    // A long latency of its own, so that the graph's quantum is the one the
    // program asks for while it plays.
    static const pw_stream_events Events = [] {
        pw_stream_events Each{};
        Each.version = PW_VERSION_STREAM_EVENTS;
        Each.process = OnProcess;
        return Each;
    }();
    Stream = pw_stream_new(Core, "Klavora monitor listener",
                           pw_properties_new(PW_KEY_MEDIA_TYPE, "Audio", PW_KEY_MEDIA_CATEGORY, "Capture",
                                             PW_KEY_TARGET_OBJECT, "klavora_null", PW_KEY_STREAM_CAPTURE_SINK, "true",
                                             PW_KEY_NODE_LATENCY, "1024/48000", PW_KEY_NODE_PASSIVE,
                                             Passive ? "true" : "false", PW_KEY_NODE_NAME,
                                             "klavora_monitor_listener", nullptr));
    pw_stream_add_listener(Stream, &Listener, &Events, this);
    uint8_t Memory[1024];
    spa_pod_builder Builder = SPA_POD_BUILDER_INIT(Memory, sizeof Memory);
    const spa_pod* Parameters[] = {PipeWireSoundFormat(Builder, 1)};
    pw_stream_connect(Stream, PW_DIRECTION_INPUT, PW_ID_ANY,
                      static_cast<pw_stream_flags>(PW_STREAM_FLAG_AUTOCONNECT | PW_STREAM_FLAG_MAP_BUFFERS |
                                                   PW_STREAM_FLAG_RT_PROCESS),
                      Parameters, 1);
    pw_thread_loop_start(Loop);
    for (int Try = 0; Try < 500 && !Linked(); ++Try)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

TPipeWireMonitorListener::~TPipeWireMonitorListener()
{
    pw_thread_loop_stop(Loop);
    pw_stream_destroy(Stream);
    pw_core_disconnect(Core);
    pw_context_destroy(Context);
    pw_thread_loop_destroy(Loop);
}

void TPipeWireMonitorListener::OnProcess(void* Listener)
{
    auto* Self = static_cast<TPipeWireMonitorListener*>(Listener);
    pw_buffer* Buffer = pw_stream_dequeue_buffer(Self->Stream);
    if (Buffer == nullptr)
        return;
    const spa_data& Data = Buffer->buffer->datas[0];
    pw_time Time{};
    pw_stream_get_time_n(Self->Stream, &Time, sizeof Time);
    const size_t Start = Self->Count.load(std::memory_order_relaxed);
    const size_t Arrived = Self->Arrived.load(std::memory_order_relaxed);
    if (Data.data != nullptr && Data.chunk != nullptr && Arrived < Self->Arrivals.size()) {
        const auto* Samples = SPA_PTROFF(Data.data, Data.chunk->offset, const float);
        const size_t Frames = std::min<size_t>(Data.chunk->size / sizeof(float), Self->Sound.size() - Start);
        std::copy(Samples, Samples + Frames, Self->Sound.begin() + static_cast<std::ptrdiff_t>(Start));
        Self->Arrivals[Arrived] = {Start + Frames, Time.now};
        Self->Count.store(Start + Frames, std::memory_order_release);
        Self->Arrived.store(Arrived + 1, std::memory_order_release);
    }
    pw_stream_queue_buffer(Self->Stream, Buffer);
}

bool TPipeWireMonitorListener::Linked() const
{
    pw_thread_loop_lock(Loop);
    const pw_stream_state State = pw_stream_get_state(Stream, nullptr);
    pw_thread_loop_unlock(Loop);
    return State == PW_STREAM_STATE_PAUSED || State == PW_STREAM_STATE_STREAMING;
}

std::vector<float> TPipeWireMonitorListener::Samples() const
{
    return {Sound.begin(), Sound.begin() + static_cast<std::ptrdiff_t>(Heard())};
}

TClock::time_point TPipeWireMonitorListener::HeardAt(size_t Frame) const
{
    const auto End = Arrivals.begin() + static_cast<std::ptrdiff_t>(Arrived.load(std::memory_order_acquire));
    const auto Arrival = std::upper_bound(Arrivals.begin(), End, Frame,
                                          [](size_t Wanted, const TArrival& Each) { return Wanted < Each.End; });
    if (Arrival == End)
        return TClock::time_point::max();
    const size_t First = Arrival == Arrivals.begin() ? 0 : (Arrival - 1)->End;
    const auto Offset = static_cast<int64_t>(static_cast<double>(Frame - First) / Rate * 1e9);
    return TClock::time_point(std::chrono::nanoseconds(Arrival->Played + Offset));
}
