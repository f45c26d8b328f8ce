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

// The MIDI output service of a Linux desktop. Its devices: first the
// built-in synthesizer when a General MIDI SoundFont was found, then the
// system's ports (JACK's, then ALSA's), as listed when it enumerates and each
// time it refreshes. The mapper opens the first of them, so the built-in
// synthesizer whenever there is one.
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
    // Takes SystemPorts as the system's ports now, after the synthesizer. A
    // port still there keeps its connection; one that has gone leaves the
    // devices, and an open handle of it plays into nothing until closed.
    void UpdatePorts(std::vector<TSystemPortName> SystemPorts);
    // Closes every port still open, stops a prestarted synthesizer and
    // forgets the devices and the clients that listed and watched them.
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
    // A built-in synthesizer that finds no sound output to play into answers
    // MIDIERR_NODEVICE behind the mapper, MMSYSERR_BADDEVICEID opened itself.
    uint32_t Open(HMIDIOUT& Handle, int32_t DeviceID) override;
    uint32_t ShortMsg(HMIDIOUT Handle, uint32_t Message) override;
    uint32_t Close(HMIDIOUT Handle) override;
    // Lists the system's ports again, and watches JACK's from then on if
    // asked to and a server now runs.
    void Refresh() override;
    // An ALSA port plugged in again has new numbers in its name.
    bool IsSameDevice(const std::string& Stored, const std::string& Listed) const override;
    // JACK tells when its ports come and go; ALSA's are read at each refresh.
    void WatchDevices(std::function<void()> Changed) override;

private:
    // The built-in synthesizer when SoundFont is set, else a system port.
    struct TDevice {
        std::string Name;
        std::string SoundFont;
        std::shared_ptr<TSystemMIDIPort> Connection;
    };

    // An open handle: a synthesizer of its own, or the connection of a system
    // port (which one handle at a time holds).
    struct TOpenPort {
        HMIDIOUT Handle = 0;
        std::unique_ptr<TSynthesizerPort> Synthesizer;
        std::shared_ptr<TSystemMIDIPort> System;
    };

    uint32_t OpenDevice(TDevice& Device, HMIDIOUT& Handle);
    // The prestarted synthesizer when it plays SoundFont; it is stopped otherwise.
    std::optional<TStartedSynthesizer> TakePrestarted(const std::string& SoundFont);
    TOpenPort* Find(HMIDIOUT Handle);

    std::vector<TDevice> Devices;
    std::vector<TOpenPort> OpenPorts;
    // Kept from the first refresh on: ending a connection to ALSA takes a while.
    std::unique_ptr<RtMidiOut> ALSALister;
    // Opening a JACK client takes tens of milliseconds: a watcher opens on a
    // thread of its own, once the start-up worker has done.
    void WatchJACK();
    void StopWatching();
    std::function<void()> DevicesChanged;
    std::future<std::unique_ptr<TJACKPortWatcher>> OpeningWatcher;
    std::unique_ptr<TJACKPortWatcher> JACKWatcher;
    HMIDIOUT LastHandle = 0;
    std::string PrestartedSoundFont;
    std::future<TStartedSynthesizer> Prestarted;
};

extern TLinuxMIDIOutService LinuxMIDIOutService;

// Lists the system's ports on a worker thread, so that the program's other
// start-up work goes on meanwhile; the start step takes that list. When the
// device stored opens the built-in synthesizer (the mapper, the synthesizer
// itself, or no device at all), the same worker then starts it for the first
// open; a system port stored leaves it unstarted. The stored device is its
// name when one was kept, else its position in the device list. Called at
// most once, before the start step, from the thread that runs the start step.
void LinuxMIDIOutServicePrepare(int32_t StoredPosition, const std::string& StoredName);

// Returns once the work LinuxMIDIOutServicePrepare started has all been done.
void WaitForPreparedSoundSystems();

// Start step: enumerates the devices (the SoundFont in the settings folder
// or the system's) and installs the service. Stop step: closes what is still
// open, empties the service and restores the service without devices.
void LinuxMIDIOutServiceStart();
void LinuxMIDIOutServiceStop();
