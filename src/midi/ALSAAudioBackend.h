#pragma once

#include <alsa/asoundlib.h>

#include <string>
#include <vector>

#include "midi/AudioBackend.h"

// ALSA: the output's worker writes period after period into the device, and
// drops what the device holds on pausing.
class TALSAAudioBackend final : public TAudioBackend {
public:
    explicit TALSAAudioBackend(const std::string& Device) : Device(Device) {}
    ~TALSAAudioBackend() override;

    bool Resume() override;
    void Stream() override;
    void Pause() override;

private:
    bool Connect() override;
    bool WriteAll();

    std::string Device;
    snd_pcm_t* PCM = nullptr;
    snd_pcm_uframes_t Period = 0;
    std::vector<float> Buffer;
};
