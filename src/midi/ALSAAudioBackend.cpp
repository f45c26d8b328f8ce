#include "midi/ALSAAudioBackend.h"

TALSAAudioBackend::~TALSAAudioBackend()
{
    if (PCM != nullptr)
        snd_pcm_close(PCM);
}

bool TALSAAudioBackend::Connect()
{
    if (snd_pcm_open(&PCM, Device.c_str(), SND_PCM_STREAM_PLAYBACK, 0) < 0) {
        PCM = nullptr;
        return false;
    }
    // ALSA divides the buffer into periods of its own choice.
    const auto Microseconds = static_cast<unsigned>(BufferFrames * 1e6 / PreferredSampleRate);
    snd_pcm_uframes_t DeviceBuffer = 0;
    if (snd_pcm_set_params(PCM, SND_PCM_FORMAT_FLOAT, SND_PCM_ACCESS_RW_INTERLEAVED, 2,
                           static_cast<unsigned>(PreferredSampleRate), 1, Microseconds) < 0 ||
        snd_pcm_get_params(PCM, &DeviceBuffer, &Period) < 0 || Period == 0)
        return false;
    Buffer.assign(Period * 2, 0.0f);
    LatencyFrames = static_cast<double>(DeviceBuffer);
    return true;
}

bool TALSAAudioBackend::Resume()
{
    return snd_pcm_prepare(PCM) == 0;
}

void TALSAAudioBackend::Stream()
{
    while (Output().KeepStreaming()) {
        Output().Pull(Buffer.data(), Buffer.data() + 1, static_cast<int>(Period), 2);
        if (!WriteAll()) {
            Output().MarkLost();
            return;
        }
    }
}

// An underrun is mended and writing goes on; any other failure means the
// device is gone.
bool TALSAAudioBackend::WriteAll()
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

void TALSAAudioBackend::Pause()
{
    snd_pcm_drop(PCM);
}
