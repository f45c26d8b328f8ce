#pragma once

#include <jack/jack.h>
#include <jack/ringbuffer.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/MIDIMessageRoutines.h"

// A client of a running JACK server for MIDI: it lists the server's MIDI
// input ports and plays into them through output ports of its own, one per
// connection. Once the server has gone (stopped or died), nothing calls into
// the client again, not even to close it: libjack crashes on closing a client
// whose server died, so such a client is left as it is.
//
// Threads: one thread at a time lists, connects, sends and disconnects;
// JACK's process thread takes what was sent; JACK's notification thread says
// when the server goes.
class TJACKMIDIClient {
public:
    // Null when no JACK server runs; libjack never starts one here.
    static std::unique_ptr<TJACKMIDIClient> Open(const std::string& Name);
    ~TJACKMIDIClient();
    TJACKMIDIClient(const TJACKMIDIClient&) = delete;
    TJACKMIDIClient& operator=(const TJACKMIDIClient&) = delete;

    bool Gone() const { return ServerGone.load(std::memory_order_acquire); }

    // The full names of the server's MIDI input ports.
    std::vector<std::string> InputPorts();

    // Connects an output of the client to the MIDI input port named
    // Destination and sets Output to it; the result code of an open.
    uint32_t Connect(const std::string& Destination, int& Output);
    // Queues one message for the next process cycle; a server or receiver
    // that has gone answers MMSYSERR_INVALHANDLE, a full queue
    // MIDIERR_NOTREADY. Never allocates; waits for nothing once a process
    // cycle has seen the connection.
    uint32_t Send(int Output, const TShortMessageBytes& Message);
    // Returns once what was sent has left, then frees the output.
    void Disconnect(int Output);

private:
    // A connection is made before a cycle sees it, and lost once a cycle
    // no longer does.
    enum class TLink { Connecting, Connected, Lost };
    // One output port; registered once, then kept for the client's life.
    struct TOutput {
        jack_port_t* Port = nullptr;
        jack_ringbuffer_t* Queue = nullptr;
        // Whether the process cycle takes the queue's messages.
        std::atomic<bool> Playing = false;
        // What the process cycle last saw of the connection.
        std::atomic<TLink> Link = TLink::Connecting;
        bool Taken = false;
    };
    static constexpr size_t MaxOutputs = 16;

    explicit TJACKMIDIClient(jack_client_t* Client) : Client(Client) {}
    // The output the next connection uses, registered if need be; -1 if none.
    int FreeOutput();
    // Code for a failure of the server: gone, the port is out of reach.
    uint32_t FailureCode(uint32_t WhileServerRuns) const;

    static int Process(jack_nframes_t Frames, void* Client);
    static void OnShutdown(jack_status_t, const char*, void* Client);

    jack_client_t* const Client;
    bool Active = false;
    std::array<TOutput, MaxOutputs> Outputs;
    // How many outputs the process cycle serves; each is ready before it counts.
    std::atomic<size_t> Registered = 0;
    std::atomic<uint64_t> Cycles = 0;
    std::atomic<bool> ServerGone = false;
};
