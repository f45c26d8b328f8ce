#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "FormModules.h"
#include "ui/KlavoraFormHandlers.h"

// A window that only remembers what the form logic shows in it and what it
// asked of it.
class TRecordingFormView final : public TFormView {
public:
    struct TControlLook {
        std::vector<std::string> Items;
        int32_t ItemIndex = -1;
        bool Enabled = true;
        std::string Hint;
        TColor Caption = 0xFFFFFFFF; // none shown yet
        bool Bold = false;
        int32_t Min = 0, Max = 0, Frequency = 0, Position = 0;
    };

    std::array<TControlLook, FormControlCount> Controls{};
    std::array<bool, PianoKeyCount> Lit{};
    std::vector<TFormMenu> MenusOpened;
    int FocusTakenBack = 0;
    int AboutShown = 0;
    int Closed = 0;
    TMouseButtons ButtonsDown;

    TRecordingFormView();
    const TControlLook& operator[](TFormControl Control) const { return Controls[static_cast<size_t>(Control)]; }
    // The offsets of the piano keys shown lit.
    std::vector<int32_t> LitKeys() const;

    void ShowItems(TFormControl List, const std::vector<std::string>& Items) override;
    void ShowItemIndex(TFormControl List, int32_t Index) override;
    void ShowTrackBar(TFormControl Bar, int32_t Min, int32_t Max, int32_t Frequency, int32_t Position) override;
    void ShowEnabled(TFormControl Control, bool Enabled) override;
    void ShowHint(TFormControl Control, const std::string& Hint) override;
    void ShowCaption(TFormControl Button, TColor Color, bool Bold) override;
    void ShowLit(int32_t Offset, bool On) override;
    void PlaceWindow() override {}
    void TakeFocusBack() override { ++FocusTakenBack; }
    void PopUpMenu(TFormMenu Menu) override { MenusOpened.push_back(Menu); }
    void ShowAbout() override { ++AboutShown; }
    void CloseWindow() override { ++Closed; }
    TMouseButtons MouseButtonsDown() const override { return ButtonsDown; }
};

// The form's handlers over a recording view, with the modules it needs
// (TFormModules). Each test creates the form after storing what it needs.
class FormHandlersTest : public testing::Test {
protected:
    void TearDown() override { Form.reset(); }

    // Creates the form, then forgets the traffic of its creation.
    void CreateForm();
    void CreateFormKeepingTraffic();

    // A key of the test map pressed or released.
    void PressKey(uint16_t Key, TShiftState Shift = {}) { Form->FormKeyDown(Key, Shift); }
    void ReleaseKey(uint16_t Key, TShiftState Shift = {}) { Form->FormKeyUp(Key, Shift); }
    // A mouse button pressed on a piano key and released over it, with the
    // other buttons the view reports down.
    void MousePress(int32_t Offset, TMouseButton Button);
    void MouseRelease(TMouseButton Button);
    void Click(int32_t Offset, TMouseButton Button = TMouseButton::Left);

    std::vector<std::string> Sent() const { return Service.SentTexts(); }
    std::string SettingsFile() const { return Folder / "Setup.ini"; }

    TFormModules Modules;
    TTemporaryFolder& Folder = Modules.Folder;
    TRecordingMIDIOutService& Service = Modules.Service;
    TErrorRecorder& Errors = Modules.Errors;
    TRecordingFormView View;
    std::unique_ptr<TFormHandlers> Form;
};

inline constexpr uint16_t KeyZ = 'Z';
inline constexpr uint16_t KeyX = 'X';
inline constexpr uint16_t Key2 = '2';
inline constexpr uint16_t KeySpace = 0x20;
inline constexpr uint16_t KeyTab = 0x09;

// "C0 05": a program change as the wire carries it.
std::string ProgramChange(int Channel, int Program);
