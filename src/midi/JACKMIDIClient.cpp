#include "midi/JACKMIDIClient.h"

#include <jack/midiport.h>

#include <chrono>
#include <cstring>
#include <thread>

#include "midi/MIDIOutService.h"
#include "midi/SoundSystemRoutines.h"

namespace {

using namespace std::chrono_literals;

// A message in the queue: its length, then up to three bytes.
constexpr size_t QueuedSize = 4;
constexpr size_t QueueBytes = 1024 * QueuedSize;
// A server that takes longer than this over a cycle is stuck.
constexpr auto DrainLimit = 1s;

std::string OutputName(size_t Index)
{
    return Index == 0 ? "MIDI Out" : "MIDI Out " + std::to_string(Index + 1);
}

}

std::unique_ptr<TJACKMIDIClient> TJACKMIDIClient::Open(const std::string& Name)
{
    PrepareSoundSystems();
    jack_client_t* Connection = jack_client_open(Name.c_str(), JackNoStartServer, nullptr);
    if (Connection == nullptr)
        return nullptr;
    std::unique_ptr<TJACKMIDIClient> Opened(new TJACKMIDIClient(Connection));
    if (jack_set_process_callback(Connection, Process, Opened.get()) != 0)
        return nullptr;
    jack_on_info_shutdown(Connection, OnShutdown, Opened.get());
    return Opened;
}

TJACKMIDIClient::~TJACKMIDIClient()
{
    // A client whose server died stays open (libjack crashes on closing it),
    // but its process thread ended with the server: the queues can go.
    if (!Gone())
        jack_client_close(Client);
    for (size_t Index = 0; Index < Registered.load(); ++Index)
        jack_ringbuffer_free(Outputs[Index].Queue);
}

void TJACKMIDIClient::OnShutdown(jack_status_t, const char*, void* Client)
{
    static_cast<TJACKMIDIClient*>(Client)->ServerGone.store(true, std::memory_order_release);
}

int TJACKMIDIClient::Process(jack_nframes_t Frames, void* Client)
{
    auto* Self = static_cast<TJACKMIDIClient*>(Client);
    const size_t Count = Self->Registered.load(std::memory_order_acquire);
    for (size_t Index = 0; Index < Count; ++Index) {
        TOutput& Output = Self->Outputs[Index];
        void* Buffer = jack_port_get_buffer(Output.Port, Frames);
        jack_midi_clear_buffer(Buffer);
        if (!Output.Playing.load(std::memory_order_acquire))
            continue;
        if (jack_port_connected(Output.Port) > 0) {
            Output.Link.store(TLink::Connected, std::memory_order_release);
        } else {
            // A connection not yet in this cycle's graph keeps its queue for
            // the cycle that has it; a receiver that went took its
            // connections with it, and what was queued for it is dropped.
            if (Output.Link.load(std::memory_order_acquire) == TLink::Connected)
                Output.Link.store(TLink::Lost, std::memory_order_release);
            if (Output.Link.load(std::memory_order_acquire) == TLink::Lost)
                jack_ringbuffer_read_advance(Output.Queue, jack_ringbuffer_read_space(Output.Queue));
            continue;
        }
        // What does not fit this cycle goes in the next, in order.
        jack_midi_data_t Message[QueuedSize];
        while (jack_ringbuffer_peek(Output.Queue, reinterpret_cast<char*>(Message), QueuedSize) == QueuedSize &&
               jack_midi_event_write(Buffer, 0, Message + 1, Message[0]) == 0)
            jack_ringbuffer_read_advance(Output.Queue, QueuedSize);
    }
    Self->Cycles.fetch_add(1, std::memory_order_release);
    return 0;
}

std::vector<std::string> TJACKMIDIClient::InputPorts()
{
    if (Gone())
        return {};
    return TakeJACKPortNames(jack_get_ports(Client, nullptr, JACK_DEFAULT_MIDI_TYPE, JackPortIsInput));
}

uint32_t TJACKMIDIClient::FailureCode(uint32_t WhileServerRuns) const
{
    return Gone() ? MMSYSERR_BADDEVICEID : WhileServerRuns;
}

int TJACKMIDIClient::FreeOutput()
{
    const size_t Count = Registered.load();
    for (size_t Index = 0; Index < Count; ++Index)
        if (!Outputs[Index].Taken)
            return static_cast<int>(Index);
    if (Count == MaxOutputs)
        return -1;
    TOutput& Output = Outputs[Count];
    Output.Queue = jack_ringbuffer_create(QueueBytes);
    if (Output.Queue == nullptr)
        return -1;
    Output.Port = jack_port_register(Client, OutputName(Count).c_str(), JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
    if (Output.Port == nullptr) {
        jack_ringbuffer_free(Output.Queue);
        Output.Queue = nullptr;
        return -1;
    }
    Registered.store(Count + 1, std::memory_order_release);
    return static_cast<int>(Count);
}

uint32_t TJACKMIDIClient::Connect(const std::string& Destination, int& Output)
{
    if (Gone())
        return MMSYSERR_BADDEVICEID;
    jack_port_t* Target = jack_port_by_name(Client, Destination.c_str());
    if (Target == nullptr || (jack_port_flags(Target) & JackPortIsInput) == 0 ||
        std::strcmp(jack_port_type(Target), JACK_DEFAULT_MIDI_TYPE) != 0)
        return MMSYSERR_BADDEVICEID;
    const int Free = FreeOutput();
    if (Free < 0)
        return FailureCode(MMSYSERR_ALLOCATED);
    if (!Active) {
        if (jack_activate(Client) != 0)
            return FailureCode(MMSYSERR_ERROR);
        Active = true;
    }
    TOutput& Chosen = Outputs[static_cast<size_t>(Free)];
    // The port refuses the connection.
    if (jack_connect(Client, jack_port_name(Chosen.Port), Destination.c_str()) != 0)
        return FailureCode(MMSYSERR_ALLOCATED);
    // What a stuck server left of the last connection is not for this one;
    // the process cycle leaves the queue alone until it plays.
    jack_ringbuffer_read_advance(Chosen.Queue, jack_ringbuffer_read_space(Chosen.Queue));
    Chosen.Taken = true;
    Chosen.Link.store(TLink::Connecting, std::memory_order_release);
    Chosen.Playing.store(true, std::memory_order_release);
    Output = Free;
    return MMSYSERR_NOERROR;
}

uint32_t TJACKMIDIClient::Send(int Output, const TShortMessageBytes& Message)
{
    TOutput& Chosen = Outputs[static_cast<size_t>(Output)];
    if (Gone())
        return MMSYSERR_INVALHANDLE;
    // A connection that a busy server has not yet taken into its graph
    // queues what is sent until the first cycle that has it.
    if (Chosen.Link.load(std::memory_order_acquire) == TLink::Lost)
        return MMSYSERR_INVALHANDLE;
    if (jack_ringbuffer_write_space(Chosen.Queue) < QueuedSize)
        return MIDIERR_NOTREADY;
    const char Queued[QueuedSize] = {static_cast<char>(Message.Count), static_cast<char>(Message.Bytes[0]),
                                     static_cast<char>(Message.Bytes[1]), static_cast<char>(Message.Bytes[2])};
    jack_ringbuffer_write(Chosen.Queue, Queued, QueuedSize);
    return MMSYSERR_NOERROR;
}

void TJACKMIDIClient::Disconnect(int Output)
{
    TOutput& Chosen = Outputs[static_cast<size_t>(Output)];
    Chosen.Taken = false;
    // The cycle that empties the queue hands the messages on before it ends.
    const auto Deadline = std::chrono::steady_clock::now() + DrainLimit;
    auto Waiting = [&] { return !Gone() && std::chrono::steady_clock::now() < Deadline; };
    while (Waiting() && jack_ringbuffer_read_space(Chosen.Queue) > 0)
        std::this_thread::sleep_for(1ms);
    const uint64_t Seen = Cycles.load(std::memory_order_acquire);
    while (Waiting() && Cycles.load(std::memory_order_acquire) == Seen)
        std::this_thread::sleep_for(1ms);
    Chosen.Playing.store(false, std::memory_order_release);
    if (!Gone())
        jack_port_disconnect(Client, Chosen.Port);
}
