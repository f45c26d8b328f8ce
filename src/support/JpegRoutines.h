#pragma once

#include <cstdint>
#include <span>
#include <vector>

// A decoded picture: Height rows from top to bottom, each Width pixels of
// three bytes (red, green, blue), with nothing between rows.
struct TRGBPicture {
    int32_t Width = 0;
    int32_t Height = 0;
    std::vector<uint8_t> Pixels;

    bool Empty() const { return Pixels.empty(); }
};

// Decodes a JPEG held in memory. A corrupt, truncated or empty picture, one
// that libjpeg warns about, or one larger than MaxJpegPixels gives an empty
// picture; the process always goes on.
TRGBPicture DecodeJpeg(std::span<const uint8_t> Jpeg);

// The most pixels DecodeJpeg accepts, so that a damaged size field cannot ask
// for gigabytes.
inline constexpr uint64_t MaxJpegPixels = 16u * 1024u * 1024u;
