#include "ui/windows/ButtonPaintRoutines.h"

#include <vssym32.h>

namespace {

int ThemeState(UINT ItemState)
{
    if ((ItemState & ODS_DISABLED) != 0)
        return PBS_DISABLED;
    return (ItemState & ODS_SELECTED) != 0 ? PBS_PRESSED : PBS_NORMAL;
}

void Fill(HDC Dc, const RECT& Area, COLORREF Color)
{
    const HBRUSH Brush = CreateSolidBrush(Color);
    FillRect(Dc, &Area, Brush);
    DeleteObject(Brush);
}

}

RECT DrawPushButtonFace(HDC Dc, const RECT& Bounds, HTHEME Theme, UINT ItemState, std::optional<COLORREF> FillColor)
{
    RECT Content = Bounds;
    if (Theme != nullptr) {
        const int State = ThemeState(ItemState);
        RECT Behind = Bounds;
        DrawThemeParentBackground(WindowFromDC(Dc), Dc, &Behind);
        DrawThemeBackground(Theme, Dc, BP_PUSHBUTTON, State, &Bounds, nullptr);
        GetThemeBackgroundContentRect(Theme, Dc, BP_PUSHBUTTON, State, &Bounds, &Content);
    } else {
        RECT Frame = Bounds;
        const bool Pressed = (ItemState & ODS_SELECTED) != 0;
        DrawFrameControl(Dc, &Frame, DFC_BUTTON, DFCS_BUTTONPUSH | (Pressed ? DFCS_PUSHED : 0));
        InflateRect(&Content, -2, -2);
        if (Pressed)
            OffsetRect(&Content, 1, 1);
    }
    if (FillColor)
        Fill(Dc, Content, *FillColor);
    return Content;
}

void DrawCaption(HDC Dc, const RECT& Content, const std::wstring& Text, HFONT Font, COLORREF Color)
{
    const HGDIOBJ Replaced = SelectObject(Dc, Font);
    const int Mode = SetBkMode(Dc, TRANSPARENT);
    const COLORREF Previous = SetTextColor(Dc, Color);
    RECT Area = Content;
    DrawTextW(Dc, Text.c_str(), static_cast<int>(Text.size()), &Area,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SetTextColor(Dc, Previous);
    SetBkMode(Dc, Mode);
    SelectObject(Dc, Replaced);
}
