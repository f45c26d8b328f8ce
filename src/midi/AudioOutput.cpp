#include "midi/AudioOutput.h"

#include <alsa/asoundlib.h>
#include <jack/jack.h>
#include <jack/thread.h>
#include <pthread.h>
#include <pulse/pulseaudio.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <system_error>
#include <vector>

#include "midi/SoundSystemRoutines.h"

namespace {

constexpr double PreferredRate = 48000.0;
// The sound buffered ahead (8 ms at 48 kHz), refilled 128 frames (under 3 ms)
// at a time: a note sounds within about 10 ms, and a busy machine still has
// time to refill before the buffer runs dry.
constexpr int BufferFrames = 384;
constexpr int RequestFrames = 128;
// Quieter than this (-90 dBFS) counts as silence: no voice and no reverb left.
constexpr float SilenceLevel = 3.2e-5f;

}

TAudioOutput::~TAudioOutput() = default;

void TAudioOutput::Signal()
{
    Signals.fetch_add(1);
    Signals.notify_all();
}

template <class TCondition> void TAudioOutput::WaitUntil(TCondition Condition)
{
    for (;;) {
        const uint32_t Seen = Signals.load();
        if (Condition())
            return;
        Signals.wait(Seen);
    }
}

bool TAudioOutput::Open()
{
    if (!Connect())
        return false;
    try {
        Worker = std::thread(&TAudioOutput::Work, this);
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

void TAudioOutput::Wake()
{
    Messages.fetch_add(1);
    // While the output streams, the audio thread sees the count by itself.
    if (!Streaming.load())
        Signal();
}

void TAudioOutput::MarkLost()
{
    Gone.store(true);
    Signal();
}

bool TAudioOutput::WakePending() const
{
    return !Streaming.load() && Messages.load() != PausedAfter.load();
}

bool TAudioOutput::KeepStreaming() const
{
    return !Idle.load() && !Stopping.load() && !Gone.load();
}

void TAudioOutput::StopWorker()
{
    Stopping.store(true);
    Signal();
    if (Worker.joinable())
        Worker.join();
}

void TAudioOutput::Stream()
{
    WaitUntil([this] { return !KeepStreaming(); });
}

// Paused until the first message; from then on it streams until the sound
// has been silent a while, pauses, and resumes at the next message.
void TAudioOutput::Work()
{
    // Counted from 0, so that a message sent before the worker ran counts.
    uint32_t Heard = 0;
    for (;;) {
        WaitUntil([&] { return Stopping.load() || Gone.load() || Messages.load() != Heard; });
        if (Stopping.load())
            return;
        if (Gone.load()) {
            Abandon();
            WaitUntil([this] { return Stopping.load(); });
            return;
        }
        Idle.store(false);
        Asleep.store(false);
        Streaming.store(true);
        Signal();
        if (Resume()) {
            for (;;) {
                Stream();
                if (Stopping.load() || Gone.load() || Messages.load() == IdleAfter.load())
                    break;
                // A message came just as the sound went silent: it plays on.
                Idle.store(false);
            }
        } else {
            MarkLost();
        }
        Heard = IdleAfter.load();
        PausedAfter.store(Heard);
        Streaming.store(false);
        Signal();
        Pause();
        Asleep.store(true);
        Signal();
    }
}

void TAudioOutput::Pull(float* Left, float* Right, int Frames, int Stride)
{
    const uint32_t Heard = Messages.load();
    Source.RenderAudio(Left, Right, Frames, Stride);
    if (Heard != PulledAfter) {
        PulledAfter = Heard;
        SilentFrames = 0;
    }
    float Loudest = 0.0f;
    for (int Frame = 0; Frame < Frames; ++Frame)
        Loudest = std::max({Loudest, std::abs(Left[Frame * Stride]), std::abs(Right[Frame * Stride])});
    if (Loudest > SilenceLevel) {
        SilentFrames = 0;
        return;
    }
    const auto IdleFrames = static_cast<int64_t>(IdleSeconds * Rate);
    if (SilentFrames < IdleFrames && SilentFrames + Frames >= IdleFrames) {
        IdleAfter.store(Heard);
        Idle.store(true);
        Signal();
    }
    SilentFrames += Frames;
}

namespace {

// PulseAudio (and PipeWire's PulseAudio server): a stream that is corked and
// emptied while paused, so the server asks nothing of the program.
class TPulseAudioOutput final : public TAudioOutput {
public:
    TPulseAudioOutput(TAudioSource& Source, const std::string& StreamName)
        : TAudioOutput(Source), StreamName(StreamName)
    {
    }
    ~TPulseAudioOutput() override;

private:
    static constexpr size_t FrameBytes = 2 * sizeof(float);

    bool Connect() override;
    bool Resume() override;
    void Pause() override;

    bool StartContext();
    bool StartPlayback();
    void Write(size_t Bytes);
    void Cork(bool Corked);
    static void OnContextState(pa_context* Context, void* Output);
    static void OnPlaybackState(pa_stream* Playback, void* Output);
    static void OnWritable(pa_stream* Playback, size_t Bytes, void* Output);

    std::string StreamName;
    pa_threaded_mainloop* Loop = nullptr;
    pa_context* Context = nullptr;
    pa_stream* Playback = nullptr;
    // Whether the server's requests are answered; guarded by the loop's lock.
    bool Flowing = false;
};

TPulseAudioOutput::~TPulseAudioOutput()
{
    StopWorker();
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

bool TPulseAudioOutput::Connect()
{
    Loop = pa_threaded_mainloop_new();
    if (Loop == nullptr)
        return false;
    pa_threaded_mainloop_lock(Loop);
    const bool Started = StartContext() && StartPlayback();
    pa_threaded_mainloop_unlock(Loop);
    Rate = PreferredRate;
    LatencyFrames = BufferFrames;
    return Started;
}

// With the loop's lock held.
bool TPulseAudioOutput::StartContext()
{
    Context = pa_context_new(pa_threaded_mainloop_get_api(Loop), AudioApplicationName);
    if (Context == nullptr)
        return false;
    pa_context_set_state_callback(Context, OnContextState, this);
    // A server that does not run is not started: the next sound system plays.
    if (pa_context_connect(Context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0 ||
        pa_threaded_mainloop_start(Loop) < 0)
        return false;
    for (;;) {
        const pa_context_state_t State = pa_context_get_state(Context);
        if (State == PA_CONTEXT_READY)
            return true;
        if (!PA_CONTEXT_IS_GOOD(State))
            return false;
        pa_threaded_mainloop_wait(Loop);
    }
}

// With the loop's lock held. The stream starts corked: it plays from the
// first message on.
bool TPulseAudioOutput::StartPlayback()
{
    const pa_sample_spec Format{PA_SAMPLE_FLOAT32NE, static_cast<uint32_t>(PreferredRate), 2};
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
    for (;;) {
        const pa_stream_state_t State = pa_stream_get_state(Playback);
        if (State == PA_STREAM_READY)
            return true;
        if (!PA_STREAM_IS_GOOD(State))
            return false;
        pa_threaded_mainloop_wait(Loop);
    }
}

void TPulseAudioOutput::OnContextState(pa_context* Context, void* Output)
{
    auto* Self = static_cast<TPulseAudioOutput*>(Output);
    if (!PA_CONTEXT_IS_GOOD(pa_context_get_state(Context)))
        Self->MarkLost();
    pa_threaded_mainloop_signal(Self->Loop, 0);
}

void TPulseAudioOutput::OnPlaybackState(pa_stream* Playback, void* Output)
{
    auto* Self = static_cast<TPulseAudioOutput*>(Output);
    if (!PA_STREAM_IS_GOOD(pa_stream_get_state(Playback)))
        Self->MarkLost();
    pa_threaded_mainloop_signal(Self->Loop, 0);
}

void TPulseAudioOutput::OnWritable(pa_stream*, size_t Bytes, void* Output)
{
    static_cast<TPulseAudioOutput*>(Output)->Write(Bytes);
}

// With the loop's lock held: answers the server's request for Bytes, in the
// server's own memory.
void TPulseAudioOutput::Write(size_t Bytes)
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
        Pull(Samples, Samples + 1, static_cast<int>(Size / FrameBytes), 2);
        if (pa_stream_write(Playback, Data, Size, nullptr, 0, PA_SEEK_RELATIVE) < 0)
            return;
        Bytes -= Size;
    }
}

void TPulseAudioOutput::Cork(bool Corked)
{
    if (pa_operation* Operation = pa_stream_cork(Playback, Corked ? 1 : 0, nullptr, nullptr))
        pa_operation_unref(Operation);
}

// The stream was emptied when it paused: it is filled at once, and the sound
// starts as soon as the server has it.
bool TPulseAudioOutput::Resume()
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
void TPulseAudioOutput::Pause()
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

// JACK: a client whose two output ports are taken out of the server's
// process graph while paused. Taking it out drops its connections, so they
// are noted and made again on resuming: first to the system's playback ports,
// later to wherever the user routed them. Rejoining the graph takes the
// server a cycle or two; the note that woke the output starts in the first
// cycle in which those connections are back.
class TJACKAudioOutput final : public TAudioOutput {
public:
    TJACKAudioOutput(TAudioSource& Source, const std::string& ClientName)
        : TAudioOutput(Source), ClientName(ClientName)
    {
    }
    ~TJACKAudioOutput() override;

private:
    // Held while out of the graph; Rejoining until the noted connections
    // are back, when what is pulled is heard everywhere it was before.
    enum class TFlow { Held, Rejoining, Flowing };

    bool Connect() override;
    bool Resume() override;
    void Pause() override;
    void Abandon() override;

    bool Reconnected() const;
    void HurryWorker();

    static int Process(jack_nframes_t Frames, void* Output);
    static void OnShutdown(jack_status_t, const char*, void* Output);

    std::string ClientName;
    jack_client_t* Client = nullptr;
    jack_port_t* Ports[2] = {};
    std::vector<std::string> Destinations[2];
    // How many connections each port has once they are all made again.
    std::atomic<size_t> Awaited[2] = {0, 0};
    std::atomic<TFlow> Flow = TFlow::Held;
    bool WorkerHurried = false;
};

TJACKAudioOutput::~TJACKAudioOutput()
{
    StopWorker();
    if (Client != nullptr)
        jack_client_close(Client);
}

bool TJACKAudioOutput::Connect()
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
bool TJACKAudioOutput::Reconnected() const
{
    for (size_t Side = 0; Side < 2; ++Side)
        if (static_cast<size_t>(jack_port_connected(Ports[Side])) < Awaited[Side].load(std::memory_order_relaxed))
            return false;
    return true;
}

int TJACKAudioOutput::Process(jack_nframes_t Frames, void* Output)
{
    auto* Self = static_cast<TJACKAudioOutput*>(Output);
    auto* Left = static_cast<float*>(jack_port_get_buffer(Self->Ports[0], Frames));
    auto* Right = static_cast<float*>(jack_port_get_buffer(Self->Ports[1], Frames));
    TFlow Flow = Self->Flow.load(std::memory_order_acquire);
    if (Flow == TFlow::Rejoining && Self->Reconnected() &&
        Self->Flow.compare_exchange_strong(Flow, TFlow::Flowing, std::memory_order_acq_rel))
        Flow = TFlow::Flowing;
    if (Flow == TFlow::Flowing) {
        Self->Pull(Left, Right, static_cast<int>(Frames), 1);
    } else {
        std::memset(Left, 0, Frames * sizeof(float));
        std::memset(Right, 0, Frames * sizeof(float));
    }
    return 0;
}

void TJACKAudioOutput::OnShutdown(jack_status_t, const char*, void* Output)
{
    static_cast<TJACKAudioOutput*>(Output)->MarkLost();
}

// A server that runs in real time lets its clients' threads do so too: the
// worker then rejoins the graph at once however busy the machine is, at the
// lowest real-time priority, below every audio thread. Without it the
// worker works on as it is.
void TJACKAudioOutput::HurryWorker()
{
    if (WorkerHurried)
        return;
    WorkerHurried = true;
    if (jack_is_realtime(Client))
        jack_acquire_real_time_scheduling(pthread_self(), 1);
}

// A connection that cannot be made again (its port went) does not hold the
// sound back: once every connection was tried, the sound flows.
bool TJACKAudioOutput::Resume()
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
void TJACKAudioOutput::Abandon()
{
    jack_client_close(Client);
    Client = nullptr;
}

void TJACKAudioOutput::Pause()
{
    Flow.store(TFlow::Held, std::memory_order_release);
    if (Lost())
        return;
    for (size_t Side = 0; Side < 2; ++Side)
        Destinations[Side] = TakeJACKPortNames(jack_port_get_connections(Ports[Side]));
    jack_deactivate(Client);
}

// ALSA: the worker writes period after period into the device, and drops
// what the device holds on pausing.
class TALSAAudioOutput final : public TAudioOutput {
public:
    TALSAAudioOutput(TAudioSource& Source, const std::string& Device) : TAudioOutput(Source), Device(Device) {}
    ~TALSAAudioOutput() override;

private:
    bool Connect() override;
    bool Resume() override;
    void Stream() override;
    void Pause() override;

    bool WriteAll();

    std::string Device;
    snd_pcm_t* PCM = nullptr;
    snd_pcm_uframes_t Period = 0;
    std::vector<float> Buffer;
};

TALSAAudioOutput::~TALSAAudioOutput()
{
    StopWorker();
    if (PCM != nullptr)
        snd_pcm_close(PCM);
}

bool TALSAAudioOutput::Connect()
{
    if (snd_pcm_open(&PCM, Device.c_str(), SND_PCM_STREAM_PLAYBACK, 0) < 0) {
        PCM = nullptr;
        return false;
    }
    // ALSA divides the buffer into periods of its own choice.
    const auto Microseconds = static_cast<unsigned>(BufferFrames * 1e6 / PreferredRate);
    snd_pcm_uframes_t DeviceBuffer = 0;
    if (snd_pcm_set_params(PCM, SND_PCM_FORMAT_FLOAT, SND_PCM_ACCESS_RW_INTERLEAVED, 2,
                           static_cast<unsigned>(PreferredRate), 1, Microseconds) < 0 ||
        snd_pcm_get_params(PCM, &DeviceBuffer, &Period) < 0 || Period == 0)
        return false;
    Buffer.assign(Period * 2, 0.0f);
    Rate = PreferredRate;
    LatencyFrames = static_cast<double>(DeviceBuffer);
    return true;
}

bool TALSAAudioOutput::Resume()
{
    return snd_pcm_prepare(PCM) == 0;
}

void TALSAAudioOutput::Stream()
{
    while (KeepStreaming()) {
        Pull(Buffer.data(), Buffer.data() + 1, static_cast<int>(Period), 2);
        if (!WriteAll()) {
            MarkLost();
            return;
        }
    }
}

// An underrun is mended and writing goes on; any other failure means the
// device is gone.
bool TALSAAudioOutput::WriteAll()
{
    const float* Next = Buffer.data();
    snd_pcm_uframes_t Left = Period;
    while (Left > 0) {
        const snd_pcm_sframes_t Written = snd_pcm_writei(PCM, Next, Left);
        if (Written < 0) {
            if (snd_pcm_recover(PCM, static_cast<int>(Written), 1) < 0)
                return false;
            continue;
        }
        Next += Written * 2;
        Left -= static_cast<snd_pcm_uframes_t>(Written);
    }
    return true;
}

void TALSAAudioOutput::Pause()
{
    snd_pcm_drop(PCM);
}

}

std::unique_ptr<TAudioOutput> OpenAudioOutput(const std::string& Name, const std::string& StreamName,
                                              TAudioSource& Source)
{
    std::unique_ptr<TAudioOutput> Output;
    if (Name == "pulseaudio")
        Output = std::make_unique<TPulseAudioOutput>(Source, StreamName);
    else if (Name == "jack")
        Output = std::make_unique<TJACKAudioOutput>(Source, StreamName);
    else if (Name == "alsa")
        Output = std::make_unique<TALSAAudioOutput>(Source, "default");
    else if (Name.starts_with("alsa:"))
        Output = std::make_unique<TALSAAudioOutput>(Source, Name.substr(5));
    if (!Output || !Output->Open())
        return nullptr;
    return Output;
}

TRenderedOutput::TRenderedOutput(TAudioSource& Source, double SampleRate) : TAudioOutput(Source)
{
    Rate = SampleRate;
}

TRenderedOutput::~TRenderedOutput()
{
    StopWorker();
}

void TRenderedOutput::Render(float* Left, float* Right, int Frames)
{
    WaitUntil([this] { return !WakePending(); });
    if (!Pulling()) {
        std::fill(Left, Left + Frames, 0.0f);
        std::fill(Right, Right + Frames, 0.0f);
    } else {
        Pull(Left, Right, Frames, 1);
    }
}
