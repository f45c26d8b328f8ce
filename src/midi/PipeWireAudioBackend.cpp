#include "midi/PipeWireAudioBackend.h"

#include <spa/param/audio/format-utils.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <mutex>

namespace {

constexpr int Channels = 2;
constexpr uint32_t FrameBytes = Channels * sizeof(float);
// A server whose socket answers but that says nothing more (stopped, or
// hanging) is given up on after this long, as one that is not there.
constexpr int64_t AnswerNanoseconds = 3'000'000'000;

// Once for the process: libpipewire's own setup. Its log stays quiet (the
// client configuration's level) unless PIPEWIRE_DEBUG asks for it: every
// failure of its reaches the user as a result code of the MIDI service.
void StartPipeWireLibrary()
{
    static std::once_flag Started;
    std::call_once(Started, [] { pw_init(nullptr, nullptr); });
}

}

const spa_pod* PipeWireSoundFormat(spa_pod_builder& Builder, uint32_t Channels)
{
    spa_audio_info_raw Format{};
    Format.format = SPA_AUDIO_FORMAT_F32;
    Format.rate = static_cast<uint32_t>(PreferredSampleRate);
    Format.channels = Channels;
    if (Channels == 1) {
        Format.position[0] = SPA_AUDIO_CHANNEL_MONO;
    } else {
        Format.position[0] = SPA_AUDIO_CHANNEL_FL;
        Format.position[1] = SPA_AUDIO_CHANNEL_FR;
    }
    return spa_format_audio_raw_build(&Builder, SPA_PARAM_EnumFormat, &Format);
}

TPipeWireAudioBackend::~TPipeWireAudioBackend()
{
    if (Loop == nullptr)
        return;
    // The loop's thread ends first, and the listeners go: nothing calls back
    // while all goes.
    pw_thread_loop_stop(Loop);
    if (Stream != nullptr) {
        spa_hook_remove(&StreamListener);
        pw_stream_destroy(Stream);
    }
    if (Core != nullptr) {
        spa_hook_remove(&CoreListener);
        pw_core_disconnect(Core);
    }
    if (Context != nullptr)
        pw_context_destroy(Context);
    pw_thread_loop_destroy(Loop);
}

bool TPipeWireAudioBackend::Connect()
{
    StartPipeWireLibrary();
    LatencyFrames = PipeWireQuantumFrames;
    Loop = pw_thread_loop_new("Klavora PipeWire", nullptr);
    if (Loop == nullptr)
        return false;
    // The client's configuration that runs its data thread in real time
    // where the system lets it.
    Context = pw_context_new(pw_thread_loop_get_loop(Loop),
                             pw_properties_new(PW_KEY_CONFIG_NAME, "client-rt.conf", PW_KEY_APP_NAME,
                                               AudioApplicationName, nullptr),
                             0);
    if (Context == nullptr || pw_thread_loop_start(Loop) < 0)
        return false;
    pw_thread_loop_lock(Loop);
    const bool Started = StartPlayback() && WaitUntilConnected();
    pw_thread_loop_unlock(Loop);
    return Started;
}

// With the loop's lock held. The stream starts inactive: it plays from the
// first message on.
bool TPipeWireAudioBackend::StartPlayback()
{
    // A server that does not run is not waited for: the next sound system plays.
    Core = pw_context_connect(Context, nullptr, 0);
    if (Core == nullptr)
        return false;
    static const pw_core_events CoreEvents = [] {
        pw_core_events Events{};
        Events.version = PW_VERSION_CORE_EVENTS;
        Events.error = OnCoreError;
        return Events;
    }();
    pw_core_add_listener(Core, &CoreListener, &CoreEvents, this);

    const std::string Latency = std::to_string(PipeWireQuantumFrames) + "/" +
                                std::to_string(static_cast<int>(PreferredSampleRate));
    Stream = pw_stream_new(Core, StreamName.c_str(),
                           pw_properties_new(PW_KEY_MEDIA_TYPE, "Audio", PW_KEY_MEDIA_CATEGORY, "Playback",
                                             PW_KEY_MEDIA_ROLE, "Music", PW_KEY_APP_NAME, AudioApplicationName,
                                             PW_KEY_NODE_NAME, AudioApplicationName, PW_KEY_NODE_DESCRIPTION,
                                             StreamName.c_str(), PW_KEY_NODE_LATENCY, Latency.c_str(), nullptr));
    if (Stream == nullptr)
        return false;
    static const pw_stream_events Events = [] {
        pw_stream_events Each{};
        Each.version = PW_VERSION_STREAM_EVENTS;
        Each.state_changed = OnStreamState;
        Each.process = OnProcess;
        return Each;
    }();
    pw_stream_add_listener(Stream, &StreamListener, &Events, this);

    uint8_t Memory[1024];
    spa_pod_builder Builder = SPA_POD_BUILDER_INIT(Memory, sizeof Memory);
    const spa_pod* Parameters[] = {PipeWireSoundFormat(Builder, Channels)};
    const auto Flags = static_cast<pw_stream_flags>(PW_STREAM_FLAG_AUTOCONNECT | PW_STREAM_FLAG_MAP_BUFFERS |
                                                    PW_STREAM_FLAG_RT_PROCESS | PW_STREAM_FLAG_INACTIVE);
    return pw_stream_connect(Stream, PW_DIRECTION_OUTPUT, PW_ID_ANY, Flags, Parameters, 1) == 0;
}

// With the loop's lock held: waits until the server has made the stream's
// node; false when it fails or does not answer.
bool TPipeWireAudioBackend::WaitUntilConnected()
{
    timespec Deadline{};
    pw_thread_loop_get_time(Loop, &Deadline, AnswerNanoseconds);
    for (;;) {
        const pw_stream_state State = pw_stream_get_state(Stream, nullptr);
        if (Failed || State == PW_STREAM_STATE_ERROR)
            return false;
        if (State == PW_STREAM_STATE_PAUSED || State == PW_STREAM_STATE_STREAMING)
            return true;
        if (pw_thread_loop_timed_wait_full(Loop, &Deadline) == -ETIMEDOUT)
            return false;
    }
}

// The real-time thread's own: what it writes, it writes into the buffer the
// graph handed it, and it takes no lock.
void TPipeWireAudioBackend::OnProcess(void* Backend)
{
    auto* Self = static_cast<TPipeWireAudioBackend*>(Backend);
    pw_buffer* Buffer = pw_stream_dequeue_buffer(Self->Stream);
    if (Buffer == nullptr)
        return;
    spa_data& Data = Buffer->buffer->datas[0];
    if (Data.data == nullptr) {
        pw_stream_queue_buffer(Self->Stream, Buffer);
        return;
    }
    // As much as the graph asks for: a fuller buffer would play later. Before
    // it says, one quantum.
    const uint64_t Asked = Buffer->requested != 0 ? Buffer->requested : PipeWireQuantumFrames;
    const auto Frames = static_cast<uint32_t>(std::min<uint64_t>(Asked, Data.maxsize / FrameBytes));
    auto* Samples = static_cast<float*>(Data.data);
    if (Self->Flowing.load(std::memory_order_acquire))
        Self->Output().Pull(Samples, Samples + 1, static_cast<int>(Frames), Channels);
    else
        std::memset(Samples, 0, Frames * FrameBytes);
    Data.chunk->offset = 0;
    Data.chunk->stride = FrameBytes;
    Data.chunk->size = Frames * FrameBytes;
    pw_stream_queue_buffer(Self->Stream, Buffer);
}

void TPipeWireAudioBackend::OnStreamState(void* Backend, pw_stream_state, pw_stream_state State, const char*)
{
    auto* Self = static_cast<TPipeWireAudioBackend*>(Backend);
    if (State == PW_STREAM_STATE_ERROR || State == PW_STREAM_STATE_UNCONNECTED) {
        Self->Failed = true;
        Self->Output().MarkLost();
    }
    pw_thread_loop_signal(Self->Loop, false);
}

// The connection to the server broke: the server is gone.
void TPipeWireAudioBackend::OnCoreError(void* Backend, uint32_t Id, int, int Result, const char*)
{
    auto* Self = static_cast<TPipeWireAudioBackend*>(Backend);
    if (Id == PW_ID_CORE && Result == -EPIPE) {
        Self->Failed = true;
        Self->Output().MarkLost();
    }
    pw_thread_loop_signal(Self->Loop, false);
}

// The node joins the graph again; its first cycle pulls the note that woke it.
bool TPipeWireAudioBackend::Resume()
{
    pw_thread_loop_lock(Loop);
    const bool Ready = !Failed;
    if (Ready) {
        Flowing.store(true, std::memory_order_release);
        pw_stream_set_active(Stream, true);
    }
    pw_thread_loop_unlock(Loop);
    return Ready;
}

// What the stream still holds is silence: it goes, so that the next note
// does not wait behind it.
void TPipeWireAudioBackend::Pause()
{
    Flowing.store(false, std::memory_order_release);
    pw_thread_loop_lock(Loop);
    if (!Failed) {
        pw_stream_set_active(Stream, false);
        pw_stream_flush(Stream, false);
    }
    pw_thread_loop_unlock(Loop);
}
