#include "ui/windows/ControlPlacementRoutines.h"

#include <commctrl.h>

#include "support/WideTextRoutines.h"
#include "ui/windows/DpiRoutines.h"

namespace {

// A drop-down list is as high as its items allow when it opens.
constexpr int DroppedListItems = 8;

// Makes a closed list Height high: its selection field's height is what
// the list sets, which not every system reads back as it was set.
void SetClosedListHeight(HWND List, int Height)
{
    for (int Attempt = 0; Attempt < 3; ++Attempt) {
        RECT Closed;
        GetWindowRect(List, &Closed);
        const int Missing = Height - (Closed.bottom - Closed.top);
        if (Missing == 0)
            return;
        const auto Field = static_cast<int>(SendMessageW(List, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0));
        SendMessageW(List, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), Field + Missing);
    }
}

// Windows' class of each kind of control, and its style.
struct TControlClass {
    const wchar_t* Name;
    DWORD Style;
};

TControlClass ControlClassOf(TControlKind Kind)
{
    switch (Kind) {
    case TControlKind::StaticText: return {WC_STATICW, SS_OWNERDRAW | SS_NOTIFY};
    case TControlKind::GroupBox: return {WC_BUTTONW, BS_GROUPBOX};
    case TControlKind::ComboBox: return {WC_COMBOBOXW, CBS_DROPDOWNLIST | WS_VSCROLL};
    case TControlKind::PushButton: return {WC_BUTTONW, BS_PUSHBUTTON};
    case TControlKind::BitmapButton:
    case TControlKind::PianoKey: return {WC_BUTTONW, BS_OWNERDRAW};
    // Created disabled: a disabled bar has not been filled yet.
    case TControlKind::TrackBar: return {TRACKBAR_CLASSW, TBS_HORZ | TBS_AUTOTICKS | WS_DISABLED};
    }
    return {WC_STATICW, 0};
}

}

TRect PlaceInWindow(const TControlPlace& Place)
{
    TRect Rect = Place.Place;
    if (Place.Parent != TFormControl::None) {
        Rect.Left += PlaceOf(Place.Parent).Place.Left;
        Rect.Top += PlaceOf(Place.Parent).Place.Top;
    }
    Rect.Left += WindowBorderWidth;
    Rect.Top += WindowBorderWidth;
    return Rect;
}

HWND CreateFormControl(HWND Window, const TControlPlace& Place, int Id)
{
    const TControlClass Class = ControlClassOf(Place.Kind);
    const HWND Control = CreateWindowExW(0, Class.Name, WideText(Place.Caption).c_str(),
                                         WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | Class.Style, 0, 0, 0, 0, Window,
                                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(Id)), GetModuleHandleW(nullptr),
                                         nullptr);
    SetWindowPos(Control, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (Place.Kind == TControlKind::ComboBox)
        SendMessageW(Control, CB_SETMINVISIBLE, DroppedListItems, 0);
    return Control;
}

void PlaceFormControl(HWND Control, const TControlPlace& Place, UINT Dpi)
{
    const TRect Rect = PlaceInWindow(Place);
    const int Height = Scaled(Rect.Height, Dpi);
    // A list's window reaches down over its drop-down; the height of the
    // closed list is that of its selection field.
    const int WindowHeight = Place.Kind == TControlKind::ComboBox ? Height * (DroppedListItems + 1) : Height;
    SetWindowPos(Control, nullptr, Scaled(Rect.Left, Dpi), Scaled(Rect.Top, Dpi), Scaled(Rect.Width, Dpi),
                 WindowHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    if (Place.Kind == TControlKind::ComboBox)
        SetClosedListHeight(Control, Height);
}

TButtonFace FaceOf(const TControlPlace& Place)
{
    switch (Place.Kind) {
    case TControlKind::BitmapButton: return TButtonFace::Caption;
    case TControlKind::PianoKey:
        return IsBlackKey(*PianoKeyOffset(Place.Control)) ? TButtonFace::BlackKey : TButtonFace::WhiteKey;
    default: return TButtonFace::System;
    }
}
