#include "JACKSoundRecorder.h"

#include <algorithm>

#include "midi/SoundSystemRoutines.h"

namespace {

constexpr size_t Capacity = 60 * 48000;

}

TJACKSoundRecorder::TJACKSoundRecorder() : Recorded(Capacity), Cycles(Capacity / 16)
{
    PrepareSoundSystems();
    Client = jack_client_open("KlavoraEar", JackNoStartServer, nullptr);
    if (Client == nullptr)
        return;
    In = jack_port_register(Client, "in", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
    Rate = jack_get_sample_rate(Client);
    const jack_time_t JACKNow = jack_get_time();
    JACKEpoch = std::chrono::steady_clock::now() - std::chrono::microseconds(JACKNow);
    if (In == nullptr || jack_set_process_callback(Client, Process, this) != 0 || jack_activate(Client) != 0) {
        jack_client_close(Client);
        Client = nullptr;
    }
}

TJACKSoundRecorder::~TJACKSoundRecorder()
{
    if (Client != nullptr)
        jack_client_close(Client);
}

bool TJACKSoundRecorder::Listen(const std::string& Source)
{
    return jack_connect(Client, Source.c_str(), jack_port_name(In)) == 0;
}

bool TJACKSoundRecorder::Hears(const std::string& Source) const
{
    return jack_port_connected_to(In, Source.c_str()) != 0;
}

int TJACKSoundRecorder::Process(jack_nframes_t Frames, void* Recorder)
{
    auto* Self = static_cast<TJACKSoundRecorder*>(Recorder);
    const size_t Start = Self->RecordedFrames.load(std::memory_order_relaxed);
    const size_t Cycle = Self->RecordedCycles.load(std::memory_order_relaxed);
    if (Start + Frames > Self->Recorded.size() || Cycle >= Self->Cycles.size())
        return 0;
    jack_nframes_t CurrentFrames;
    jack_time_t Current;
    jack_time_t Next;
    float Period;
    jack_get_cycle_times(Self->Client, &CurrentFrames, &Current, &Next, &Period);
    Self->Cycles[Cycle] = {Start, Next};
    const auto* Sound = static_cast<const float*>(jack_port_get_buffer(Self->In, Frames));
    std::copy(Sound, Sound + Frames, Self->Recorded.begin() + static_cast<std::ptrdiff_t>(Start));
    Self->RecordedCycles.store(Cycle + 1, std::memory_order_release);
    Self->RecordedFrames.store(Start + Frames, std::memory_order_release);
    return 0;
}

std::vector<float> TJACKSoundRecorder::Samples() const
{
    const size_t Count = RecordedFrames.load(std::memory_order_acquire);
    return {Recorded.begin(), Recorded.begin() + static_cast<std::ptrdiff_t>(Count)};
}

std::chrono::steady_clock::time_point TJACKSoundRecorder::HeardAt(size_t Frame) const
{
    const auto End = Cycles.begin() + static_cast<std::ptrdiff_t>(RecordedCycles.load(std::memory_order_acquire));
    auto Cycle = std::upper_bound(Cycles.begin(), End, Frame, [](size_t Wanted, const TCycle& Each) {
        return Wanted < Each.Frame;
    });
    if (Cycle == Cycles.begin())
        return JACKEpoch;
    --Cycle;
    const double Offset = static_cast<double>(Frame - Cycle->Frame) / Rate;
    return JACKEpoch + std::chrono::microseconds(Cycle->Heard) +
           std::chrono::microseconds(static_cast<int64_t>(Offset * 1e6));
}
