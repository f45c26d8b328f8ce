#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <vector>

#include "support/JpegRoutines.h"

namespace {
std::vector<uint8_t> SplashJpeg()
{
    std::ifstream File(KLAVORA_SOURCE_DIR "/src/ui/Splash.jpg", std::ios::binary);
    return {std::istreambuf_iterator<char>(File), std::istreambuf_iterator<char>()};
}

// The offset of the first marker FF Code, or the size when there is none.
size_t MarkerOffset(const std::vector<uint8_t>& Jpeg, uint8_t Code)
{
    for (size_t Offset = 0; Offset + 1 < Jpeg.size(); ++Offset)
        if (Jpeg[Offset] == 0xFF && Jpeg[Offset + 1] == Code)
            return Offset;
    return Jpeg.size();
}

constexpr uint8_t BaselineFrame = 0xC0;
constexpr uint8_t ProgressiveFrame = 0xC2;
constexpr uint8_t StartOfScan = 0xDA;

void ExpectEmpty(const TRGBPicture& Picture)
{
    EXPECT_TRUE(Picture.Empty());
    EXPECT_EQ(Picture.Width, 0);
    EXPECT_EQ(Picture.Height, 0);
}
}

TEST(DecodeJpeg, TheSplashPictureIsABaselineJfifOf393By174InColour)
{
    const std::vector<uint8_t> Jpeg = SplashJpeg();
    ASSERT_GT(Jpeg.size(), 1000u);
    EXPECT_TRUE(std::equal(Jpeg.begin() + 6, Jpeg.begin() + 11, "JFIF"));
    const size_t Frame = MarkerOffset(Jpeg, BaselineFrame);
    ASSERT_LT(Frame + 9, Jpeg.size());
    EXPECT_EQ(Jpeg[Frame + 9], 3) << "components";
    EXPECT_EQ(MarkerOffset(Jpeg, ProgressiveFrame), Jpeg.size());

    const TRGBPicture Picture = DecodeJpeg(Jpeg);
    EXPECT_EQ(Picture.Width, 393);
    EXPECT_EQ(Picture.Height, 174);
    ASSERT_EQ(Picture.Pixels.size(), 393u * 174u * 3u);
    // Red, green, blue in that order: the top-left corner is dark blue, the
    // bottom-left a white key.
    EXPECT_GT(Picture.Pixels[2], Picture.Pixels[0] + 20);
    const size_t BottomLeft = (173u * 393u + 10u) * 3u;
    for (size_t Channel = 0; Channel < 3; ++Channel)
        EXPECT_GT(Picture.Pixels[BottomLeft + Channel], 200) << Channel;
}

TEST(DecodeJpeg, EmptyOrForeignInputGivesAnEmptyPicture)
{
    ExpectEmpty(DecodeJpeg({}));
    const std::vector<uint8_t> Text{'n', 'o', 't', ' ', 'a', ' ', 'p', 'i', 'c', 't', 'u', 'r', 'e'};
    ExpectEmpty(DecodeJpeg(Text));
    const std::vector<uint8_t> OnlyStart{0xFF, 0xD8};
    ExpectEmpty(DecodeJpeg(OnlyStart));
}

TEST(DecodeJpeg, EveryTruncationGivesAnEmptyPicture)
{
    const std::vector<uint8_t> Jpeg = SplashJpeg();
    ASSERT_FALSE(Jpeg.empty());
    for (size_t Length = 1; Length < Jpeg.size(); Length += Length < 700 ? 1 : 61) {
        const TRGBPicture Picture = DecodeJpeg(std::span(Jpeg).first(Length));
        EXPECT_TRUE(Picture.Empty()) << "cut to " << Length << " bytes";
    }
    EXPECT_TRUE(DecodeJpeg(std::span(Jpeg).first(Jpeg.size() - 1)).Empty());
    EXPECT_TRUE(DecodeJpeg(std::span(Jpeg).first(Jpeg.size() - 2)).Empty());
}

TEST(DecodeJpeg, DamagedHeadersGiveAnEmptyPicture)
{
    const std::vector<uint8_t> Jpeg = SplashJpeg();
    const size_t Frame = MarkerOffset(Jpeg, BaselineFrame);
    ASSERT_LT(Frame + 9, Jpeg.size());

    std::vector<uint8_t> NoHeight = Jpeg;
    NoHeight[Frame + 5] = 0;
    NoHeight[Frame + 6] = 0;
    ExpectEmpty(DecodeJpeg(NoHeight));

    std::vector<uint8_t> Huge = Jpeg;
    for (size_t Offset : {Frame + 5, Frame + 6, Frame + 7, Frame + 8})
        Huge[Offset] = 0xFF;
    ExpectEmpty(DecodeJpeg(Huge));

    std::vector<uint8_t> NoScan = Jpeg;
    NoScan[MarkerOffset(Jpeg, StartOfScan) + 1] = 0x01;
    ExpectEmpty(DecodeJpeg(NoScan));

    std::vector<uint8_t> NoStart = Jpeg;
    NoStart[1] = 0x00;
    ExpectEmpty(DecodeJpeg(NoStart));
}

TEST(DecodeJpeg, DamageAnywhereNeverEndsTheProcessAndGivesAWholePictureOrNone)
{
    const std::vector<uint8_t> Jpeg = SplashJpeg();
    uint32_t Seed = 12345;
    auto Next = [&Seed] { return Seed = Seed * 1664525u + 1013904223u; };
    size_t Rejected = 0;
    for (int Round = 0; Round < 400; ++Round) {
        std::vector<uint8_t> Damaged = Jpeg;
        for (int Byte = 0; Byte < 1 + Round % 8; ++Byte)
            Damaged[Next() % Damaged.size()] = static_cast<uint8_t>(Next() >> 24);
        const TRGBPicture Picture = DecodeJpeg(Damaged);
        if (Picture.Empty()) {
            ++Rejected;
            continue;
        }
        EXPECT_EQ(Picture.Pixels.size(), static_cast<size_t>(Picture.Width) * Picture.Height * 3) << Round;
    }
    EXPECT_GT(Rejected, 0u);
}
