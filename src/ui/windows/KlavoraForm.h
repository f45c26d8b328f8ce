#pragma once

#include <array>
#include <functional>
#include <memory>
#include <optional>

#include <windows.h>
#include <uxtheme.h>

#include "ui/KlavoraFormHandlers.h"
#include "ui/windows/FontRoutines.h"
#include "ui/windows/HintsAndMenus.h"
#include "ui/windows/KeysUnderBox.h"
#include "ui/windows/KlavoraControls.h"

// The main window in Windows' own controls: it creates the controls where
// the window's definition places them, hands every event to the form's
// handlers and draws what they show. No control keeps the keyboard focus,
// so every PC key reaches the key handlers and plays.
class TForm1 final : private TFormView, private TControlEvents {
public:
    // Creates the window, hidden, with its controls, and fills them.
    TForm1();
    // Ends every note still sounding, then destroys the window.
    ~TForm1();
    TForm1(const TForm1&) = delete;
    TForm1& operator=(const TForm1&) = delete;

    HWND Handle() const { return Window; }
    HWND ControlHandle(TFormControl Control) const { return Controls[static_cast<size_t>(Control)]; }
    // Whether the piano key shows that its note sounds.
    bool KeyLit(int32_t Offset) const;

    void Show();
    // Closes the window: it hides, and the message loop ends.
    void Close();
    // Runs as the window closes, before the message loop ends.
    std::function<void()> OnClose;

    // A key message meant for one of the window's controls goes to the
    // window instead, so that it plays; an open drop-down list keeps its own.
    // The message loop calls it for each message before dispatching it.
    void RouteKeyMessage(MSG& Message) const;

    // What the window does and what its controls show.
    TFormHandlers Handlers{*this};

    LRESULT HandleMessage(HWND Handle, UINT Message, WPARAM WParam, LPARAM LParam);

private:
    void CreateControls();
    // Places the controls and gives them their fonts, at the window's dots per inch.
    void LayOut();
    void OpenTheme();

    // TFormView
    void ShowItems(TFormControl List, const std::vector<std::string>& Items) override;
    void ShowItemIndex(TFormControl List, int32_t Index) override;
    void ShowTrackBar(TFormControl Bar, int32_t Min, int32_t Max, int32_t Frequency, int32_t Position) override;
    void ShowEnabled(TFormControl Control, bool Enabled) override;
    void ShowHint(TFormControl Control, const std::string& Hint) override;
    void ShowCaption(TFormControl Button, TColor Color, bool Bold) override;
    void ShowLit(int32_t Offset, bool Lit) override;
    void PlaceWindow() override;
    void TakeFocusBack() override;
    void PopUpMenu(TFormMenu Menu) override;
    void ShowAbout() override;
    void CloseWindow() override;
    TMouseButtons MouseButtonsDown() const override;

    // TControlEvents
    void StaticTextLeftDown() override;
    void StaticTextMouseDown(TFormControl Label, TMouseButton Button) override;
    void ButtonMouseDown(TFormControl Button, TMouseButton Pressed, TMouseButtons Held, POINT At) override;
    void ButtonMouseUp(TMouseButton Released) override;
    void ControlMouseUp(TMouseButton Released) override;
    void PointerLeftButton() override;
    void TrackBarFocused() override;

    void KeyMessage(UINT Message, WPARAM Key);
    void WindowMouseUp(TMouseButton Released, POINT At);
    void ControlCommand(TFormControl Control, UINT Code);
    void TrackBarMoved(TFormControl Bar);
    void DrawItem(const DRAWITEMSTRUCT& Item);
    void DpiChanged(UINT NewDpi, const RECT& Suggested);
    void RunMenuItem(TMenuItem Item);
    TButton& ButtonOf(TFormControl Control) const;

    HWND Window = nullptr;
    UINT Dpi = 96;
    std::array<HWND, FormControlCount> Controls{};
    // The subclass of each control; none for the group boxes.
    std::array<std::unique_ptr<TSubclassedControl>, FormControlCount> Subclassed;
    std::optional<THints> Hints;
    TPopupMenus Menus;
    HTHEME ButtonTheme = nullptr;
    TFont Font;
    TFont BoldFont;
    // The black keys' "|", in two sizes as the window's definition has them.
    TFont SmallKeyGlyphFont;
    TFont LargeKeyGlyphFont;
    // Follows the PC keys while an error box runs its modal loop.
    std::optional<TKeysUnderBox> KeysUnderBox;
};

extern TForm1* Form1;
