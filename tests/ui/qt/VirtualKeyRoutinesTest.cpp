#include <gtest/gtest.h>

#include <QKeyEvent>

#include "ui/qt/VirtualKeyRoutines.h"

namespace {

uint16_t CodeOf(int Key, Qt::KeyboardModifiers Modifiers, quint32 ScanCode, quint32 NativeKey, const char* Platform)
{
    const QKeyEvent Event(QEvent::KeyPress, Key, Modifiers, ScanCode, NativeKey, 0);
    return VirtualKeyOf(Event, QString::fromLatin1(Platform));
}

}

TEST(VirtualKeyRoutinesTest, TheScanCodeNamesThePhysicalKeyWhateverTheLayoutAndShift)
{
    EXPECT_EQ(CodeOf(Qt::Key_Z, Qt::NoModifier, 52, 0, "xcb"), 'Z');
    // The key left of W types A on a French layout; it is still the US Q key.
    EXPECT_EQ(CodeOf(Qt::Key_A, Qt::NoModifier, 24, 0, "xcb"), 'Q');
    // The key right of T types Z on a German layout; it is still the US Y key.
    EXPECT_EQ(CodeOf(Qt::Key_Z, Qt::NoModifier, 29, 0, "wayland"), 'Y');
    EXPECT_EQ(CodeOf(Qt::Key_At, Qt::ShiftModifier, 11, 0, "xcb"), '2');
    EXPECT_EQ(CodeOf(Qt::Key_Space, Qt::NoModifier, 65, 0, "xcb"), VK_SPACE);
    EXPECT_EQ(CodeOf(Qt::Key_Down, Qt::NoModifier, 116, 0, "xcb"), 0x28);
    EXPECT_EQ(CodeOf(Qt::Key_Home, Qt::KeypadModifier, 79, 0, "xcb"), 0x67);
    EXPECT_EQ(VirtualKeyOfScanCode(0), 0);
    EXPECT_EQ(VirtualKeyOfScanCode(7), 0);
    EXPECT_EQ(VirtualKeyOfScanCode(100000), 0);
}

TEST(VirtualKeyRoutinesTest, WindowsGivesItsOwnVirtualKey)
{
    EXPECT_EQ(CodeOf(Qt::Key_A, Qt::NoModifier, 16, 0x51, "windows"), 0x51);
    EXPECT_EQ(CodeOf(Qt::Key_A, Qt::NoModifier, 0, 0, "windows"), 'A');
}

TEST(VirtualKeyRoutinesTest, WithoutANativeCodeTheQtKeyNamesTheUSKeyThatMakesIt)
{
    const std::pair<int, uint16_t> Pairs[] = {
        {Qt::Key_Exclam, '1'}, {Qt::Key_ParenRight, '0'}, {Qt::Key_Underscore, 0xBD}, {Qt::Key_Minus, 0xBD},
        {Qt::Key_Less, 0xBC},  {Qt::Key_Comma, 0xBC},     {Qt::Key_Tab, 0x09},        {Qt::Key_Backtab, 0x09},
        {Qt::Key_Return, 0x0D}, {Qt::Key_Escape, 0x1B},   {Qt::Key_Left, 0x25},       {Qt::Key_F10, 0x79},
        {Qt::Key_Alt, 0x12},   {Qt::Key_Control, 0x11},   {Qt::Key_Q, 'Q'},           {Qt::Key_unknown, 0}};
    for (const auto& [Key, Code] : Pairs)
        EXPECT_EQ(CodeOf(Key, Qt::NoModifier, 0, 0, "offscreen"), Code) << Key;
    EXPECT_EQ(CodeOf(Qt::Key_5, Qt::KeypadModifier, 0, 0, "offscreen"), 0x65);
    EXPECT_EQ(CodeOf(Qt::Key_Slash, Qt::KeypadModifier, 0, 0, "offscreen"), 0x6F);
    EXPECT_EQ(CodeOf(Qt::Key_Enter, Qt::KeypadModifier, 0, 0, "offscreen"), 0x0D);
}
