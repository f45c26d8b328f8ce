#pragma once

#include <cstddef>
#include <vector>

// Measures of recorded or rendered sound.

// The root mean square of Samples.
double Level(const std::vector<float>& Samples);
// The highest peak of Samples in dBFS.
double PeakLevel(const std::vector<float>& Samples);
// Where a sound starts: each frame louder than Threshold that follows at
// least QuietFrames frames that are not (or the start of the recording).
std::vector<size_t> Onsets(const std::vector<float>& Samples, float Threshold, size_t QuietFrames);
// The part of Samples from Start, Frames long (or up to the end).
std::vector<float> Part(const std::vector<float>& Samples, size_t Start, size_t Frames);
