#include "midi/PulseAudioBackend.h"

#include <cstdint>

namespace {

// With the loop's lock held: waits until the state that ReadState reads is
// Ready; false once it is no longer good.
template <typename TState, typename TReadState, typename TIsGood>
bool WaitUntilReady(pa_threaded_mainloop* Loop, TReadState ReadState, TState Ready, TIsGood IsGood)
{
    for (;;) {
        const TState State = ReadState();
        if (State == Ready)
            return true;
        if (!IsGood(State))
            return false;
        pa_threaded_mainloop_wait(Loop);
    }
}

}

TPulseAudioBackend::~TPulseAudioBackend()
{
    if (Loop == nullptr)
        return;
    pa_threaded_mainloop_lock(Loop);
    if (Playback != nullptr) {
        pa_stream_set_state_callback(Playback, nullptr, nullptr);
        pa_stream_set_write_callback(Playback, nullptr, nullptr);
        pa_stream_disconnect(Playback);
        pa_stream_unref(Playback);
    }
    if (Context != nullptr) {
        pa_context_set_state_callback(Context, nullptr, nullptr);
        pa_context_disconnect(Context);
        pa_context_unref(Context);
    }
    pa_threaded_mainloop_unlock(Loop);
    pa_threaded_mainloop_stop(Loop);
    pa_threaded_mainloop_free(Loop);
}

bool TPulseAudioBackend::Connect()
{
    Loop = pa_threaded_mainloop_new();
    if (Loop == nullptr)
        return false;
    pa_threaded_mainloop_lock(Loop);
    const bool Started = StartContext() && StartPlayback();
    pa_threaded_mainloop_unlock(Loop);
    LatencyFrames = BufferFrames;
    return Started;
}

// With the loop's lock held.
bool TPulseAudioBackend::StartContext()
{
    Context = pa_context_new(pa_threaded_mainloop_get_api(Loop), AudioApplicationName);
    if (Context == nullptr)
        return false;
    pa_context_set_state_callback(Context, OnContextState, this);
    // A server that does not run is not started: the next sound system plays.
    if (pa_context_connect(Context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0 ||
        pa_threaded_mainloop_start(Loop) < 0)
        return false;
    return WaitUntilReady(Loop, [this] { return pa_context_get_state(Context); }, PA_CONTEXT_READY, PA_CONTEXT_IS_GOOD);
}

// With the loop's lock held. The stream starts corked: it plays from the
// first message on.
bool TPulseAudioBackend::StartPlayback()
{
    const pa_sample_spec Format{PA_SAMPLE_FLOAT32NE, static_cast<uint32_t>(PreferredSampleRate), 2};
    Playback = pa_stream_new(Context, StreamName.c_str(), &Format, nullptr);
    if (Playback == nullptr)
        return false;
    pa_stream_set_state_callback(Playback, OnPlaybackState, this);
    pa_stream_set_write_callback(Playback, OnWritable, this);
    pa_buffer_attr Buffer;
    Buffer.maxlength = static_cast<uint32_t>(-1);
    Buffer.tlength = BufferFrames * FrameBytes;
    Buffer.prebuf = static_cast<uint32_t>(-1);
    Buffer.minreq = RequestFrames * FrameBytes;
    Buffer.fragsize = static_cast<uint32_t>(-1);
    const auto Flags = static_cast<pa_stream_flags_t>(PA_STREAM_ADJUST_LATENCY | PA_STREAM_START_CORKED);
    if (pa_stream_connect_playback(Playback, nullptr, &Buffer, Flags, nullptr, nullptr) < 0)
        return false;
    return WaitUntilReady(Loop, [this] { return pa_stream_get_state(Playback); }, PA_STREAM_READY, PA_STREAM_IS_GOOD);
}

void TPulseAudioBackend::OnContextState(pa_context* Context, void* Backend)
{
    auto* Self = static_cast<TPulseAudioBackend*>(Backend);
    if (!PA_CONTEXT_IS_GOOD(pa_context_get_state(Context)))
        Self->Output().MarkLost();
    pa_threaded_mainloop_signal(Self->Loop, 0);
}

void TPulseAudioBackend::OnPlaybackState(pa_stream* Playback, void* Backend)
{
    auto* Self = static_cast<TPulseAudioBackend*>(Backend);
    if (!PA_STREAM_IS_GOOD(pa_stream_get_state(Playback)))
        Self->Output().MarkLost();
    pa_threaded_mainloop_signal(Self->Loop, 0);
}

void TPulseAudioBackend::OnWritable(pa_stream*, size_t Bytes, void* Backend)
{
    static_cast<TPulseAudioBackend*>(Backend)->Write(Bytes);
}

// With the loop's lock held: answers the server's request for Bytes, in the
// server's own memory.
void TPulseAudioBackend::Write(size_t Bytes)
{
    while (Flowing && Bytes >= FrameBytes) {
        void* Data = nullptr;
        size_t Size = Bytes;
        if (pa_stream_begin_write(Playback, &Data, &Size) < 0 || Data == nullptr)
            return;
        Size -= Size % FrameBytes;
        if (Size == 0) {
            pa_stream_cancel_write(Playback);
            return;
        }
        auto* Samples = static_cast<float*>(Data);
        Output().Pull(Samples, Samples + 1, static_cast<int>(Size / FrameBytes), 2);
        if (pa_stream_write(Playback, Data, Size, nullptr, 0, PA_SEEK_RELATIVE) < 0)
            return;
        Bytes -= Size;
    }
}

void TPulseAudioBackend::Cork(bool Corked)
{
    if (pa_operation* Operation = pa_stream_cork(Playback, Corked ? 1 : 0, nullptr, nullptr))
        pa_operation_unref(Operation);
}

// The stream was emptied when it paused: it is filled at once, and the sound
// starts as soon as the server has it.
bool TPulseAudioBackend::Resume()
{
    pa_threaded_mainloop_lock(Loop);
    const bool Ready = pa_stream_get_state(Playback) == PA_STREAM_READY;
    if (Ready) {
        Flowing = true;
        const size_t Writable = pa_stream_writable_size(Playback);
        if (Writable != static_cast<size_t>(-1))
            Write(Writable);
        Cork(false);
    }
    pa_threaded_mainloop_unlock(Loop);
    return Ready;
}

// What is still buffered is silence: it goes, so that the next note does not
// wait behind it.
void TPulseAudioBackend::Pause()
{
    pa_threaded_mainloop_lock(Loop);
    Flowing = false;
    if (pa_stream_get_state(Playback) == PA_STREAM_READY) {
        Cork(true);
        if (pa_operation* Operation = pa_stream_flush(Playback, nullptr, nullptr))
            pa_operation_unref(Operation);
    }
    pa_threaded_mainloop_unlock(Loop);
}
