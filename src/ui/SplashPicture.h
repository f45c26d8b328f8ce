#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

// The splash picture, a baseline JPEG that the build compiles into the
// program from ui/Splash.jpg (scripts/make-splash draws it).
extern const uint8_t SplashPictureBytes[];
extern const size_t SplashPictureSize;

inline std::span<const uint8_t> SplashPicture()
{
    return {SplashPictureBytes, SplashPictureSize};
}
