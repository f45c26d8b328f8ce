#pragma once

#include <cstdint>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "midi/MIDIOutService.h"
#include "midi/SynthesizerPort.h"
#include "midi/SystemMIDIPorts.h"

// The MIDI output service of a Linux desktop. Its devices are fixed when it
// enumerates: first the built-in synthesizer when a General MIDI SoundFont
// was found, then the system's ports (JACK's, then ALSA's). The mapper opens
// the first of them, so the built-in synthesizer whenever there is one.
class TLinuxMIDIOutService final : public TMIDIOutService {
public:
    struct TStartedSynthesizer {
        uint32_t Result;
        std::unique_ptr<TSynthesizerPort> Port;
    };

    ~TLinuxMIDIOutService() override;

    // Closes what is open and replaces the devices: the built-in synthesizer
    // playing SoundFont (none when empty), then SystemPorts.
    void Enumerate(const std::string& SoundFont, std::vector<TSystemPortName> SystemPorts);
    // Closes every port still open, stops a prestarted synthesizer and
    // forgets the devices and the JACK client that listed them.
    void Clear();

    // Readies a built-in synthesizer playing SoundFont for the first open
    // and returns its start, for the caller to run on a thread of its own so
    // that starting its audio overlaps the program's other start-up work.
    // The first open waits for that start; it takes the synthesizer when it
    // opens that SoundFont (answering what its start answered) and otherwise
    // stops it. A start that is dropped unrun leaves the first open to start
    // its synthesizer itself.
    std::packaged_task<void()> SynthesizerStart(const std::string& SoundFont);

    // The audio drivers the built-in synthesizer tries; none renders only.
    std::vector<std::string> AudioDrivers = SynthesizerAudioDrivers;
    // The built-in synthesizer behind an open handle, else null.
    TSynthesizerPort* Synthesizer(HMIDIOUT Handle);

    uint32_t GetNumDevs() override;
    uint32_t GetDevCaps(uint32_t DeviceID, TMIDIOutCaps& Caps) override;
    uint32_t Open(HMIDIOUT& Handle, int32_t DeviceID) override;
    uint32_t ShortMsg(HMIDIOUT Handle, uint32_t Message) override;
    uint32_t Close(HMIDIOUT Handle) override;

private:
    // The built-in synthesizer when SoundFont is set, else a system port.
    struct TDevice {
        std::string Name;
        std::string SoundFont;
        std::unique_ptr<TSystemMIDIPort> Connection;
    };

    // An open handle: a synthesizer of its own, or the connection of a system
    // port (which one handle at a time holds).
    struct TOpenPort {
        HMIDIOUT Handle = 0;
        std::unique_ptr<TSynthesizerPort> Synthesizer;
        TSystemMIDIPort* System = nullptr;
    };

    uint32_t OpenDevice(TDevice& Device, HMIDIOUT& Handle);
    // The prestarted synthesizer when it plays SoundFont; it is stopped otherwise.
    std::optional<TStartedSynthesizer> TakePrestarted(const std::string& SoundFont);
    TOpenPort* Find(HMIDIOUT Handle);

    std::vector<TDevice> Devices;
    std::vector<TOpenPort> OpenPorts;
    HMIDIOUT LastHandle = 0;
    std::string PrestartedSoundFont;
    std::future<TStartedSynthesizer> Prestarted;
};

extern TLinuxMIDIOutService LinuxMIDIOutService;

// Lists the system's ports on a worker thread, so that the program's other
// start-up work goes on meanwhile; the start step takes that list. When the
// device list's StoredPosition opens the built-in synthesizer (the mapper,
// the synthesizer itself, or no device at all), the same worker then starts
// it for the first open; a system port stored leaves it unstarted. Called at
// most once, before the start step, from the thread that runs the start step.
void LinuxMIDIOutServicePrepare(int32_t StoredPosition);

// Start step: enumerates the devices (the SoundFont in the settings folder
// or the system's) and installs the service. Stop step: closes what is still
// open, empties the service and restores the service without devices.
void LinuxMIDIOutServiceStart();
void LinuxMIDIOutServiceStop();
