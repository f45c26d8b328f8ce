#pragma once

#include <array>
#include <optional>
#include <string>

#include <windows.h>

#include "ui/KlavoraFormLayout.h"

// The hints of a window's controls: one tooltip control, a tool for each
// control that has a hint, its text shown while the mouse rests on it.
class THints {
public:
    explicit THints(HWND Owner);
    THints(const THints&) = delete;
    THints& operator=(const THints&) = delete;

    // An empty text takes the control's hint away.
    void Show(TFormControl Control, HWND Handle, const std::string& Text);

private:
    HWND Owner;
    HWND Tips;
    std::array<bool, FormControlCount> HasHint{};
};

// The File and Help menus, whose items are ordinary items (the dashes too).
class TPopupMenus {
public:
    TPopupMenus();
    ~TPopupMenus();
    TPopupMenus(const TPopupMenus&) = delete;
    TPopupMenus& operator=(const TPopupMenus&) = delete;

    // Opens the menu with its top-left corner one pixel above and left of
    // the label's client area, covering the label; the item chosen, if any,
    // once the menu has closed.
    std::optional<TMenuItem> PopUp(TFormMenu Menu, HWND Label, HWND Owner) const;

private:
    HMENU FileMenu;
    HMENU HelpMenu;
};
