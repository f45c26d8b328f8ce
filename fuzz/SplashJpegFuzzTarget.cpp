// Feeds any bytes to the JPEG decoder of the splash picture: whatever comes
// in, the process goes on, and a picture it gives is whole.
#include <cstddef>
#include <cstdint>

#include "FuzzFolder.h"
#include "support/JpegRoutines.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    const TRGBPicture Picture = DecodeJpeg({Data, Size});
    if (Picture.Empty()) {
        Require(Picture.Width == 0 && Picture.Height == 0, "an empty picture with a size");
        return 0;
    }
    Require(Picture.Width > 0 && Picture.Height > 0, "a picture without a size");
    const uint64_t Pixels = static_cast<uint64_t>(Picture.Width) * static_cast<uint64_t>(Picture.Height);
    Require(Pixels <= MaxJpegPixels, "a picture beyond the pixel limit");
    Require(Picture.Pixels.size() == Pixels * 3, "pixels that do not fill the picture");
    return 0;
}
