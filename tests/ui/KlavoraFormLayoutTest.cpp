#include <gtest/gtest.h>

#include <set>

#include "ui/KlavoraFormLayout.h"

TEST(KlavoraFormLayout, EveryControlIsPlacedOnceAfterItsParent)
{
    std::set<TFormControl> Placed;
    for (const TControlPlace& Place : FormControls()) {
        SCOPED_TRACE(Place.Name);
        EXPECT_TRUE(Place.Parent == TFormControl::None || Placed.count(Place.Parent) == 1);
        EXPECT_TRUE(Placed.insert(Place.Control).second);
        EXPECT_EQ(&PlaceOf(Place.Control), &Place);
    }
    EXPECT_EQ(Placed.size(), static_cast<size_t>(FormControlCount));
}

TEST(KlavoraFormLayout, PianoKeysSpanTwoOctavesWithTheBlackKeysOnTop)
{
    int Black = 0;
    for (int32_t Offset = 0; Offset < PianoKeyCount; ++Offset) {
        const TControlPlace& Place = PlaceOf(PianoKey(Offset));
        EXPECT_EQ(PianoKeyOffset(Place.Control), Offset);
        EXPECT_EQ(std::string(Place.Name), "Piano" + std::to_string(Offset));
        EXPECT_EQ(std::string(Place.Caption), IsBlackKey(Offset) ? "|" : "");
        Black += IsBlackKey(Offset);
    }
    EXPECT_EQ(Black, 10);
    EXPECT_EQ(PlaceOf(TFormControl::Piano24).Place, (TRect{344, 16, 25, 81}));
    EXPECT_EQ(PlaceOf(TFormControl::Piano22).Place, (TRect{312, 16, 17, 49}));
    EXPECT_EQ(OctaveButtonNumber(TFormControl::o8), 8);
    EXPECT_FALSE(OctaveButtonNumber(TFormControl::Piano0).has_value());

    // Where a black key lies over two white ones, it wins; below it, the white keys do.
    EXPECT_EQ(PianoKeyAt(24, 16), 1);
    EXPECT_EQ(PianoKeyAt(40, 64), 1);
    EXPECT_EQ(PianoKeyAt(24, 65), 0);
    EXPECT_EQ(PianoKeyAt(40, 65), 2);
    // White neighbours share a pixel: the later key lies on it.
    EXPECT_EQ(PianoKeyAt(32, 90), 2);
    EXPECT_EQ(PianoKeyAt(368, 96), 24);
    EXPECT_FALSE(PianoKeyAt(7, 50).has_value());
    EXPECT_FALSE(PianoKeyAt(369, 50).has_value());
    EXPECT_FALSE(PianoKeyAt(100, 97).has_value());
}

TEST(KlavoraFormLayout, TheHelpMenuHoldsItsDashItemsAsItems)
{
    const auto Help = MenuItems(TFormMenu::Help);
    ASSERT_EQ(Help.size(), 5u);
    EXPECT_STREQ(Help[0].Caption, "Product Help");
    std::string Dashes;
    for (int Index = 0; Index < 16; ++Index)
        Dashes += "\u2014";
    EXPECT_EQ(Help[1].Caption, Dashes);
    EXPECT_EQ(Help[3].Caption, Dashes);
    EXPECT_STREQ(Help[4].Caption, "About Klavora");
    ASSERT_EQ(MenuItems(TFormMenu::File).size(), 1u);
    EXPECT_STREQ(MenuItems(TFormMenu::File)[0].Caption, "Exit");
}

TEST(KlavoraFormLayout, ABoxIsCentredOverTheWindowTruncatingTowardZero)
{
    EXPECT_EQ(CentredOver({100, 50, 500, 300}, 322, 110), (TPoint{189, 145}));
    EXPECT_EQ(CentredOver({100, 50, 501, 301}, 322, 110), (TPoint{189, 145}));
    EXPECT_EQ(CentredOver({100, 50, 321, 109}, 322, 110), (TPoint{100, 50}));
    EXPECT_EQ(CentredOver({100, 50, 319, 107}, 322, 110), (TPoint{99, 49}));
    EXPECT_EQ(CentredOver({-500, -300, 503, 215}, 322, 110), (TPoint{-410, -248}));
    EXPECT_EQ(CentredOver({-500, -300, 200, 50}, 322, 110), (TPoint{-561, -330}));
}

TEST(KlavoraFormLayout, ALitKeyTakesTheHighlightsHue)
{
    // White: half way to the button face; black: the highlight darkened.
    EXPECT_EQ(LitKeyColor(RGBColor(0x30, 0x8C, 0xC6), RGBColor(0xEF, 0xEF, 0xEF), false), RGBColor(0x8F, 0xBD, 0xDA));
    EXPECT_EQ(LitKeyColor(RGBColor(0x30, 0x8C, 0xC6), RGBColor(0xEF, 0xEF, 0xEF), true), RGBColor(0x1E, 0x57, 0x7C));
    EXPECT_EQ(LitKeyColor(RGBColor(100, 100, 100), 0, true), RGBColor(62, 62, 62));
}
