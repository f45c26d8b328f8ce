#include "ui/windows/KlavoraControls.h"

#include <commctrl.h>
#include <windowsx.h>

#include "ui/windows/ButtonPaintRoutines.h"
#include "ui/windows/GuardedCallRoutines.h"
#include "ui/windows/WindowRoutines.h"

namespace {

// The one subclass each control gets.
constexpr UINT_PTR FormSubclass = 1;

COLORREF ColorRef(TColor Color)
{
    return RGB(RedOf(Color), GreenOf(Color), BlueOf(Color));
}

TColor ColorOf(COLORREF Color)
{
    return RGBColor(GetRValue(Color), GetGValue(Color), GetBValue(Color));
}

COLORREF LitColor(bool BlackKey)
{
    return ColorRef(
        LitKeyColor(ColorOf(GetSysColor(COLOR_HIGHLIGHT)), ColorOf(GetSysColor(COLOR_BTNFACE)), BlackKey));
}

HFONT FontOf(HWND Window)
{
    return reinterpret_cast<HFONT>(SendMessageW(Window, WM_GETFONT, 0, 0));
}

// Where the pointer of a mouse message is, in the client area of the
// control's parent (the main window).
POINT PointInParent(HWND Control, LPARAM LParam)
{
    POINT At = {GET_X_LPARAM(LParam), GET_Y_LPARAM(LParam)};
    MapWindowPoints(Control, GetParent(Control), &At, 1);
    return At;
}

}

std::optional<TMouseButton> MouseButtonOf(UINT Message)
{
    switch (Message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_LBUTTONUP: return TMouseButton::Left;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
    case WM_MBUTTONUP: return TMouseButton::Middle;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_RBUTTONUP: return TMouseButton::Right;
    default: return std::nullopt;
    }
}

bool IsMouseButtonPress(UINT Message)
{
    switch (Message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK: return true;
    default: return false;
    }
}

bool IsWheel(UINT Message)
{
    return Message == WM_MOUSEWHEEL || Message == WM_MOUSEHWHEEL;
}

bool IsMouseButtonRelease(UINT Message)
{
    return Message == WM_LBUTTONUP || Message == WM_MBUTTONUP || Message == WM_RBUTTONUP;
}

TMouseButtons MouseButtonsOf(WPARAM KeyState)
{
    TMouseButtons Held;
    if ((KeyState & MK_LBUTTON) != 0)
        Held.Include(TMouseButton::Left);
    if ((KeyState & MK_MBUTTON) != 0)
        Held.Include(TMouseButton::Middle);
    if ((KeyState & MK_RBUTTON) != 0)
        Held.Include(TMouseButton::Right);
    return Held;
}

TSubclassedControl::TSubclassedControl(HWND Window, TFormControl Id, TControlEvents& Events)
    : Window(Window)
    , Id(Id)
    , Events(Events)
{
    SetWindowSubclass(Window, Procedure, FormSubclass, reinterpret_cast<DWORD_PTR>(this));
}

TSubclassedControl::~TSubclassedControl()
{
    RemoveWindowSubclass(Window, Procedure, FormSubclass);
}

LRESULT CALLBACK TSubclassedControl::Procedure(HWND, UINT Message, WPARAM WParam, LPARAM LParam, UINT_PTR,
                                               DWORD_PTR Control)
{
    auto* Subclassed = reinterpret_cast<TSubclassedControl*>(Control);
    return Guarded([&] { return Subclassed->HandleMessage(Message, WParam, LParam); });
}

LRESULT TSubclassedControl::PassOn(UINT Message, WPARAM WParam, LPARAM LParam)
{
    if (Message == WM_MOUSELEAVE)
        Tracking = false;
    return DefSubclassProc(Window, Message, WParam, LParam);
}

// The wheel turns what has the focus, which no control keeps: over a
// control it goes to the window, as the default handling sends it, and
// changes nothing.
LRESULT TSubclassedControl::PassToWindow(UINT Message, WPARAM WParam, LPARAM LParam)
{
    return DefWindowProcW(Window, Message, WParam, LParam);
}

void TSubclassedControl::TrackLeaving()
{
    if (Tracking)
        return;
    TRACKMOUSEEVENT Track = {sizeof Track, TME_LEAVE, Window, 0};
    Tracking = TrackMouseEvent(&Track) != FALSE;
}

LRESULT TStaticText::HandleMessage(UINT Message, WPARAM WParam, LPARAM LParam)
{
    const auto Button = MouseButtonOf(Message);
    if (Message == WM_MOUSEMOVE) {
        TrackLeaving();
        ShowRaised(true);
    } else if (Message == WM_MOUSELEAVE) {
        ShowRaised(false);
    } else if (Button == TMouseButton::Left && IsMouseButtonPress(Message)) {
        ShowRaised(false);
        // The label looks flat before its menu opens over it.
        UpdateWindow(Window);
        Events.StaticTextLeftDown();
    }
    const LRESULT Result = PassOn(Message, WParam, LParam);
    if (Button && IsMouseButtonPress(Message))
        Events.StaticTextMouseDown(Id, *Button);
    return Result;
}

void TStaticText::ShowRaised(bool Raised)
{
    if (IsRaised == Raised)
        return;
    IsRaised = Raised;
    InvalidateRect(Window, nullptr, FALSE);
}

void TStaticText::Draw(const DRAWITEMSTRUCT& Item) const
{
    RECT Bounds = Item.rcItem;
    FillRect(Item.hDC, &Bounds, GetSysColorBrush(COLOR_BTNFACE));
    // The frame takes one pixel on every side, drawn or blank.
    if (IsRaised)
        DrawEdge(Item.hDC, &Bounds, BDR_RAISEDINNER, BF_RECT);
    InflateRect(&Bounds, -1, -1);
    const std::wstring Text = WindowText(Window);
    const HGDIOBJ Replaced = SelectObject(Item.hDC, FontOf(Window));
    SetBkMode(Item.hDC, TRANSPARENT);
    SetTextColor(Item.hDC, ColorRef(IsRaised ? LabelHoverColor : LabelColor));
    DrawTextW(Item.hDC, Text.c_str(), static_cast<int>(Text.size()), &Bounds,
              DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(Item.hDC, Replaced);
}

TButton::TButton(HWND Window, TFormControl Id, TControlEvents& Events, TButtonFace Face)
    : TSubclassedControl(Window, Id, Events)
    , FaceKind(Face)
{
}

LRESULT TButton::HandleMessage(UINT Message, WPARAM WParam, LPARAM LParam)
{
    if (Message == WM_MOUSEMOVE) {
        TrackLeaving();
    } else if (Message == WM_MOUSELEAVE) {
        Events.PointerLeftButton();
    } else if (Message == WM_LBUTTONDBLCLK && FaceKind != TButtonFace::System) {
        // An owner-drawn button takes a quick second press for a double
        // click and would not look pressed: it is a press like the first.
        Message = WM_LBUTTONDOWN;
    }
    const LRESULT Result = PassOn(Message, WParam, LParam);
    if (const auto Button = MouseButtonOf(Message)) {
        if (IsMouseButtonPress(Message))
            Events.ButtonMouseDown(Id, *Button, MouseButtonsOf(WParam), PointInParent(Window, LParam));
        else
            Events.ButtonMouseUp(*Button);
    }
    return Result;
}

void TButton::SetLit(bool On)
{
    if (IsLit == On)
        return;
    IsLit = On;
    InvalidateRect(Window, nullptr, FALSE);
}

void TButton::SetCaptionStyle(TColor Color, bool IsBold)
{
    CaptionColor = Color;
    Bold = IsBold;
    InvalidateRect(Window, nullptr, FALSE);
}

void TButton::Draw(const DRAWITEMSTRUCT& Item, const TButtonPaint& Paint) const
{
    switch (FaceKind) {
    case TButtonFace::System: break;
    case TButtonFace::Caption: {
        const RECT Content = DrawPushButtonFace(Item.hDC, Item.rcItem, Paint.Theme, Item.itemState, std::nullopt);
        const COLORREF Color = (Item.itemState & ODS_DISABLED) != 0 ? GetSysColor(COLOR_GRAYTEXT)
            : CaptionColor                                         ? ColorRef(*CaptionColor)
                                                                   : GetSysColor(COLOR_BTNTEXT);
        DrawCaption(Item.hDC, Content, WindowText(Window), Bold ? Paint.BoldFont : FontOf(Window), Color);
        break;
    }
    case TButtonFace::WhiteKey:
        DrawPushButtonFace(Item.hDC, Item.rcItem, Paint.Theme, Item.itemState,
                           IsLit ? std::optional(LitColor(false)) : std::nullopt);
        break;
    case TButtonFace::BlackKey: {
        const HBRUSH Brush = CreateSolidBrush(IsLit ? LitColor(true) : GetSysColor(COLOR_WINDOWTEXT));
        FillRect(Item.hDC, &Item.rcItem, Brush);
        DeleteObject(Brush);
        // The caption "|" of the window's definition, in the window-text
        // colour and far larger than the key, which clips it; a lit key
        // shows the lit colour whole.
        if (!IsLit)
            DrawCaption(Item.hDC, Item.rcItem, WindowText(Window), FontOf(Window), GetSysColor(COLOR_WINDOWTEXT));
        break;
    }
    }
}

LRESULT TTrackBar::HandleMessage(UINT Message, WPARAM WParam, LPARAM LParam)
{
    if (IsMouseButtonRelease(Message))
        Events.ControlMouseUp(*MouseButtonOf(Message));
    else if (Message == WM_SETFOCUS)
        Events.TrackBarFocused();
    else if (IsWheel(Message))
        return PassToWindow(Message, WParam, LParam);
    return PassOn(Message, WParam, LParam);
}

LRESULT TComboBox::HandleMessage(UINT Message, WPARAM WParam, LPARAM LParam)
{
    if (IsMouseButtonRelease(Message))
        Events.ControlMouseUp(*MouseButtonOf(Message));
    else if (IsWheel(Message))
        return PassToWindow(Message, WParam, LParam);
    return PassOn(Message, WParam, LParam);
}
