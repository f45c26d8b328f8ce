#pragma once

#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <windows.h>

#include "FormModules.h"
#include "ui/KlavoraFormLayout.h"

// The Windows window with the modules it needs (TFormModules). Each test
// creates the window after storing what it needs.
class WindowsFormTest : public testing::Test {
protected:
    void TearDown() override;

    // Creates and shows the main window, then forgets the traffic of its creation.
    void CreateForm();
    // Dispatches every message waiting, as the program's message loop does.
    void DispatchWaiting();

    HWND Window() const;
    HWND Control(TFormControl Control) const;
    LRESULT Send(HWND Target, UINT Message, WPARAM WParam = 0, LPARAM LParam = 0);
    // A key message as the keyboard delivers it; Previous: the key was down already.
    void SendKey(UINT Message, WPARAM Key, bool Previous = false);
    // The modifier keys the next key messages find held.
    void HoldModifiers(bool Shift, bool Alt, bool Ctrl);

    std::vector<std::string> Sent() const { return Service.SentTexts(); }

    TFormModules Modules;
    TRecordingMIDIOutService& Service = Modules.Service;
};
