#include "SoundMeasures.h"

#include <algorithm>
#include <cmath>

double Level(const std::vector<float>& Samples)
{
    double Sum = 0.0;
    for (const float Sample : Samples)
        Sum += static_cast<double>(Sample) * Sample;
    return Samples.empty() ? 0.0 : std::sqrt(Sum / static_cast<double>(Samples.size()));
}

double PeakLevel(const std::vector<float>& Samples)
{
    float Peak = 0.0f;
    for (const float Sample : Samples)
        Peak = std::max(Peak, std::abs(Sample));
    return 20.0 * std::log10(std::max(Peak, 1e-10f));
}

std::vector<size_t> Onsets(const std::vector<float>& Samples, float Threshold, size_t QuietFrames)
{
    std::vector<size_t> Found;
    size_t Quiet = QuietFrames;
    for (size_t Frame = 0; Frame < Samples.size(); ++Frame) {
        if (std::abs(Samples[Frame]) <= Threshold) {
            ++Quiet;
            continue;
        }
        if (Quiet >= QuietFrames)
            Found.push_back(Frame);
        Quiet = 0;
    }
    return Found;
}

std::vector<float> Part(const std::vector<float>& Samples, size_t Start, size_t Frames)
{
    const size_t From = std::min(Start, Samples.size());
    const size_t To = std::min(Samples.size(), From + Frames);
    return {Samples.begin() + static_cast<std::ptrdiff_t>(From), Samples.begin() + static_cast<std::ptrdiff_t>(To)};
}
