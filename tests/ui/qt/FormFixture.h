#pragma once

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <QKeyEvent>

#include "FormModules.h"

class QWidget;

// The one application object of the test program, created on first use.
void EnsureApplication();

// The Qt window with the modules it needs (TFormModules). The window is
// created by each test, after it has stored what it needs.
class FormTest : public testing::Test {
protected:
    void SetUp() override { EnsureApplication(); }
    void TearDown() override;

    // Creates, shows and activates the main window, then forgets the traffic
    // of its creation.
    void CreateForm();
    // Creates the window and keeps the traffic of its creation.
    void CreateFormKeepingTraffic();

    // A key event delivered to the window as the platform delivers it.
    void SendKey(QEvent::Type Type, int QtKey, quint32 ScanCode, Qt::KeyboardModifiers Modifiers = Qt::NoModifier,
                 bool AutoRepeat = false);
    void PressKey(int QtKey, quint32 ScanCode, Qt::KeyboardModifiers Modifiers = Qt::NoModifier);
    void ReleaseKey(int QtKey, quint32 ScanCode, Qt::KeyboardModifiers Modifiers = Qt::NoModifier);

    // Mouse presses and releases through the window, as the platform delivers them.
    void MousePress(QWidget* Widget, Qt::MouseButton Button);
    void MouseRelease(QWidget* Widget, Qt::MouseButton Button);
    void Click(QWidget* Widget, Qt::MouseButton Button = Qt::LeftButton);

    // The user picks an item of a list.
    void Choose(QWidget* List, int Index);

    std::vector<std::string> Sent() const { return Service.SentTexts(); }

    TFormModules Modules;
    TTemporaryFolder& Folder = Modules.Folder;
    TRecordingMIDIOutService& Service = Modules.Service;
    TErrorRecorder& Errors = Modules.Errors;
};

// XKB key codes of the keys the tests press.
inline constexpr quint32 ScanEscape = 9;
inline constexpr quint32 ScanDigit2 = 11;
inline constexpr quint32 ScanTab = 23;
inline constexpr quint32 ScanEnter = 36;
inline constexpr quint32 ScanZ = 52;
inline constexpr quint32 ScanX = 53;
inline constexpr quint32 ScanSpace = 65;
inline constexpr quint32 ScanLeft = 113;
