#include "ui/windows/HintsAndMenus.h"

#include <commctrl.h>

#include "support/WideTextRoutines.h"

namespace {

// Menu commands: an item's place in the menus' definition after this.
constexpr UINT MenuCommandBase = 1000;

HMENU CreateMenuOf(TFormMenu Which)
{
    const HMENU Menu = CreatePopupMenu();
    for (const TMenuItemPlace& Item : MenuItems(Which))
        AppendMenuW(Menu, MF_STRING, MenuCommandBase + static_cast<UINT>(Item.Item), WideText(Item.Caption).c_str());
    return Menu;
}

}

THints::THints(HWND Owner)
    : Owner(Owner)
    , Tips(CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                           CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, Owner, nullptr,
                           GetModuleHandleW(nullptr), nullptr))
{
}

void THints::Show(TFormControl Control, HWND Handle, const std::string& Text)
{
    bool& Has = HasHint[static_cast<size_t>(Control)];
    std::wstring Wide = WideText(Text);
    TTTOOLINFOW Tool = {};
    Tool.cbSize = TTTOOLINFOW_V2_SIZE;
    Tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    Tool.hwnd = Owner;
    Tool.uId = reinterpret_cast<UINT_PTR>(Handle);
    Tool.lpszText = Wide.data();
    if (Wide.empty()) {
        if (Has)
            SendMessageW(Tips, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&Tool));
        Has = false;
    } else if (Has) {
        SendMessageW(Tips, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&Tool));
    } else {
        Has = SendMessageW(Tips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&Tool)) != FALSE;
    }
}

TPopupMenus::TPopupMenus()
    : FileMenu(CreateMenuOf(TFormMenu::File))
    , HelpMenu(CreateMenuOf(TFormMenu::Help))
{
}

TPopupMenus::~TPopupMenus()
{
    DestroyMenu(FileMenu);
    DestroyMenu(HelpMenu);
}

std::optional<TMenuItem> TPopupMenus::PopUp(TFormMenu Menu, HWND Label, HWND Owner) const
{
    POINT Corner = {0, 0};
    ClientToScreen(Label, &Corner);
    const auto Command = static_cast<UINT>(
        TrackPopupMenu(Menu == TFormMenu::File ? FileMenu : HelpMenu,
                       TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY, Corner.x - 1,
                       Corner.y - 1, 0, Owner, nullptr));
    if (Command < MenuCommandBase)
        return std::nullopt;
    return static_cast<TMenuItem>(Command - MenuCommandBase);
}
