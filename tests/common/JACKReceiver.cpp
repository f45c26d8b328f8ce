#include "JACKReceiver.h"

#include <gtest/gtest.h>
#include <jack/midiport.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <thread>

#include "midi/SoundSystemRoutines.h"

namespace {

// Each message waits in the queue as its length in two bytes, then its
// bytes, written at once so that the reader never sees half of one.
constexpr size_t LengthBytes = 2;
constexpr size_t LongestMessage = 256;
constexpr size_t QueueBytes = 64 * 1024;

}

TReceiver::TReceiver(const std::string& ClientName, const std::string& Port) : Name(ClientName + ":" + Port)
{
    PrepareSoundSystems();
    Queue = jack_ringbuffer_create(QueueBytes);
    Client = jack_client_open(ClientName.c_str(), JackNoStartServer, nullptr);
    if (Client != nullptr)
        In = jack_port_register(Client, Port.c_str(), JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
    if (In == nullptr || jack_set_process_callback(Client, Process, this) != 0 || jack_activate(Client) != 0)
        ADD_FAILURE() << "the JACK receiver " << Name << " could not be opened";
}

TReceiver::~TReceiver()
{
    if (Client != nullptr)
        jack_client_close(Client);
    jack_ringbuffer_free(Queue);
}

int TReceiver::Process(jack_nframes_t Frames, void* Receiver)
{
    auto* Self = static_cast<TReceiver*>(Receiver);
    void* Buffer = jack_port_get_buffer(Self->In, Frames);
    const uint32_t Count = jack_midi_get_event_count(Buffer);
    for (uint32_t Index = 0; Index < Count; ++Index) {
        jack_midi_event_t Event;
        if (jack_midi_event_get(&Event, Buffer, Index) != 0 || Event.size > LongestMessage ||
            jack_ringbuffer_write_space(Self->Queue) < LengthBytes + Event.size)
            continue;
        char Record[LengthBytes + LongestMessage];
        const auto Length = static_cast<uint16_t>(Event.size);
        std::memcpy(Record, &Length, LengthBytes);
        std::memcpy(Record + LengthBytes, Event.buffer, Event.size);
        jack_ringbuffer_write(Self->Queue, Record, LengthBytes + Event.size);
    }
    return 0;
}

std::vector<std::string> TReceiver::Received(std::chrono::milliseconds Limit)
{
    std::vector<std::string> Texts;
    auto Deadline = std::chrono::steady_clock::now() + Limit;
    while (std::chrono::steady_clock::now() < Deadline) {
        uint16_t Length = 0;
        if (jack_ringbuffer_read_space(Queue) < LengthBytes) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            continue;
        }
        jack_ringbuffer_read(Queue, reinterpret_cast<char*>(&Length), LengthBytes);
        std::vector<unsigned char> Bytes(Length);
        jack_ringbuffer_read(Queue, reinterpret_cast<char*>(Bytes.data()), Length);
        std::string Text;
        for (const unsigned char Byte : Bytes) {
            char Hex[4];
            std::snprintf(Hex, sizeof Hex, Text.empty() ? "%02X" : " %02X", Byte);
            Text += Hex;
        }
        Texts.push_back(Text);
        Deadline = std::chrono::steady_clock::now() + Limit;
    }
    return Texts;
}
