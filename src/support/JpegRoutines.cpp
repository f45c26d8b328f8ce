#include "support/JpegRoutines.h"

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace {
// libjpeg reports a fatal error by calling error_exit, which must not return;
// the decoder jumps back to its caller instead of ending the process.
struct TJpegErrorManager {
    jpeg_error_mgr Public;
    std::jmp_buf Return;
};

[[noreturn]] void ReturnToDecoder(j_common_ptr Info)
{
    std::longjmp(reinterpret_cast<TJpegErrorManager*>(Info->err)->Return, 1);
}

// A warning means damaged data that libjpeg would paper over with grey.
void ReturnOnWarning(j_common_ptr Info, int Level)
{
    if (Level < 0)
        ReturnToDecoder(Info);
}

// Creates the decompressor and runs it into Picture. It owns no C++ object, so the jump
// from an error skips no destructor; Picture lives in the caller.
bool ReadPixels(jpeg_decompress_struct& Info, std::span<const uint8_t> Jpeg, TRGBPicture& Picture)
{
    auto& Errors = *reinterpret_cast<TJpegErrorManager*>(Info.err);
    if (setjmp(Errors.Return) != 0)
        return false;

    jpeg_create_decompress(&Info);
    jpeg_mem_src(&Info, Jpeg.data(), static_cast<unsigned long>(Jpeg.size()));
    jpeg_read_header(&Info, TRUE);
    if (static_cast<uint64_t>(Info.image_width) * Info.image_height > MaxJpegPixels)
        return false;
    Info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&Info);
    if (Info.output_components != 3)
        return false;

    Picture.Width = static_cast<int32_t>(Info.output_width);
    Picture.Height = static_cast<int32_t>(Info.output_height);
    const size_t RowBytes = static_cast<size_t>(Info.output_width) * 3;
    Picture.Pixels.resize(RowBytes * Info.output_height);
    while (Info.output_scanline < Info.output_height) {
        JSAMPROW Row = Picture.Pixels.data() + RowBytes * Info.output_scanline;
        jpeg_read_scanlines(&Info, &Row, 1);
    }
    jpeg_finish_decompress(&Info);
    return true;
}
}

TRGBPicture DecodeJpeg(std::span<const uint8_t> Jpeg)
{
    if (Jpeg.empty())
        return {};
    jpeg_decompress_struct Info{};
    TJpegErrorManager Errors{};
    Info.err = jpeg_std_error(&Errors.Public);
    Errors.Public.error_exit = ReturnToDecoder;
    Errors.Public.emit_message = ReturnOnWarning;

    TRGBPicture Picture;
    const bool Decoded = ReadPixels(Info, Jpeg, Picture);
    jpeg_destroy_decompress(&Info);
    if (!Decoded)
        return {};
    return Picture;
}
