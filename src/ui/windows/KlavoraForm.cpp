#include "ui/windows/KlavoraForm.h"

#include <utility>

#include <commctrl.h>
#include <windowsx.h>

#include "support/WideTextRoutines.h"
#include "ui/ErrorBoxRoutines.h"
#include "ui/windows/AboutRoutines.h"
#include "ui/windows/ControlPlacementRoutines.h"
#include "ui/windows/DpiRoutines.h"
#include "ui/windows/HintsAndMenus.h"
#include "ui/windows/KeysUnderBox.h"
#include "ui/windows/WindowRoutines.h"

TForm1* Form1 = nullptr;

namespace {

constexpr const wchar_t* FormClassName = L"KlavoraForm";

// The window's style: a fixed single frame with the system menu and the
// minimise button, no maximise button.
constexpr DWORD FormStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

// Child window identifiers: a control's place in the window's definition after this.
constexpr int ControlIdBase = 100;

// Work the window posts to itself, to run once the current message is done.
constexpr UINT WM_RELEASE_WHAT_WENT_UP = WM_APP;
constexpr UINT WM_TAKE_FOCUS_BACK = WM_APP + 1;
constexpr UINT WM_LIST_CLOSED_UP = WM_APP + 2;

// The character heights of the black keys' "|" in the window's definition.
constexpr int SmallKeyGlyphHeight = 229;
constexpr int LargeKeyGlyphHeight = 305;

int ControlId(TFormControl Control)
{
    return ControlIdBase + static_cast<int>(Control);
}

std::optional<TFormControl> ControlOfId(int Id)
{
    const int Index = Id - ControlIdBase;
    if (Index < 0 || Index >= FormControlCount)
        return std::nullopt;
    return static_cast<TFormControl>(Index);
}

}

TForm1::TForm1()
{
    INITCOMMONCONTROLSEX Classes = {sizeof Classes, ICC_STANDARD_CLASSES | ICC_BAR_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&Classes);
    RegisterProgramWindowClass(FormClassName, ObjectWindowProc<TForm1>);
    CreateWindowExW(0, FormClassName, L"", FormStyle, CW_USEDEFAULT, CW_USEDEFAULT, FormClientWidth,
                    FormClientHeight, nullptr, nullptr, GetModuleHandleW(nullptr), this);
    Dpi = DpiOf(Window);
    OpenTheme();
    CreateControls();
    LayOut();
    KeysUnderBox.emplace(Handlers);
    SetErrorBoxesClosedHandler([this] { PostMessageW(Window, WM_RELEASE_WHAT_WENT_UP, 0, 0); });
    Handlers.FormCreate();
}

TForm1::~TForm1()
{
    SetErrorBoxesClosedHandler(nullptr);
    Handlers.FormDestroy();
    KeysUnderBox.reset();
    // What the window and its controls say while they go reaches no handler.
    for (std::unique_ptr<TSubclassedControl>& Subclass : Subclassed)
        Subclass.reset();
    SetWindowLongPtrW(Window, GWLP_USERDATA, 0);
    DestroyWindow(Window);
    if (ButtonTheme != nullptr)
        CloseThemeData(ButtonTheme);
}

void TForm1::CreateControls()
{
    for (const TControlPlace& Place : FormControls()) {
        const HWND Control = CreateFormControl(Window, Place, ControlId(Place.Control));
        Controls[static_cast<size_t>(Place.Control)] = Control;

        std::unique_ptr<TSubclassedControl>& Subclass = Subclassed[static_cast<size_t>(Place.Control)];
        TControlEvents& Events = *this;
        switch (Place.Kind) {
        case TControlKind::StaticText: Subclass = std::make_unique<TStaticText>(Control, Place.Control, Events); break;
        case TControlKind::GroupBox: break;
        case TControlKind::ComboBox: Subclass = std::make_unique<TComboBox>(Control, Place.Control, Events); break;
        case TControlKind::TrackBar: Subclass = std::make_unique<TTrackBar>(Control, Place.Control, Events); break;
        case TControlKind::PushButton:
        case TControlKind::BitmapButton:
        case TControlKind::PianoKey:
            Subclass = std::make_unique<TButton>(Control, Place.Control, Events, FaceOf(Place));
            break;
        }
    }
    Hints.emplace(Window);
}

void TForm1::LayOut()
{
    // The fonts in use go only once every control holds the new ones.
    TFont NewFont = TahomaFont(11, Dpi);
    TFont NewSmallKeyGlyphFont = TahomaFont(SmallKeyGlyphHeight, Dpi);
    TFont NewLargeKeyGlyphFont = TahomaFont(LargeKeyGlyphHeight, Dpi);
    SendMessageW(Window, WM_SETFONT, reinterpret_cast<WPARAM>(NewFont.Handle()), FALSE);
    for (const TControlPlace& Place : FormControls()) {
        const HWND Control = ControlHandle(Place.Control);
        HFONT ControlFont = NewFont.Handle();
        if (Place.Control == TFormControl::Piano1 || Place.Control == TFormControl::Piano3)
            ControlFont = NewSmallKeyGlyphFont.Handle();
        else if (FaceOf(Place) == TButtonFace::BlackKey)
            ControlFont = NewLargeKeyGlyphFont.Handle();
        SendMessageW(Control, WM_SETFONT, reinterpret_cast<WPARAM>(ControlFont), FALSE);
        PlaceFormControl(Control, Place, Dpi);
    }
    Font = std::move(NewFont);
    BoldFont = TahomaFont(11, Dpi, true);
    SmallKeyGlyphFont = std::move(NewSmallKeyGlyphFont);
    LargeKeyGlyphFont = std::move(NewLargeKeyGlyphFont);
    InvalidateRect(Window, nullptr, TRUE);
}

void TForm1::OpenTheme()
{
    if (ButtonTheme != nullptr)
        CloseThemeData(ButtonTheme);
    ButtonTheme = OpenThemeData(Window, L"BUTTON");
}

bool TForm1::KeyLit(int32_t Offset) const
{
    return ButtonOf(PianoKey(Offset)).Lit();
}

TButton& TForm1::ButtonOf(TFormControl Control) const
{
    return static_cast<TButton&>(*Subclassed[static_cast<size_t>(Control)]);
}

void TForm1::Show()
{
    ShowWindow(Window, SW_SHOWNORMAL);
    SetForegroundWindow(Window);
    UpdateWindow(Window);
}

void TForm1::Close()
{
    SendMessageW(Window, WM_CLOSE, 0, 0);
}

void TForm1::RouteKeyMessage(MSG& Message) const
{
    if (Message.message < WM_KEYFIRST || Message.message > WM_KEYLAST || Message.hwnd == Window ||
        !IsChild(Window, Message.hwnd))
        return;
    const auto Control = ControlOfId(GetDlgCtrlID(Message.hwnd));
    if (Control && PlaceOf(*Control).Kind == TControlKind::ComboBox &&
        SendMessageW(Message.hwnd, CB_GETDROPPEDSTATE, 0, 0) != FALSE)
        return;
    Message.hwnd = Window;
}

LRESULT TForm1::HandleMessage(HWND Handle, UINT Message, WPARAM WParam, LPARAM LParam)
{
    switch (Message) {
    case WM_NCCREATE: Window = Handle; break;
    case WM_KEYDOWN:
    case WM_KEYUP:
        KeyMessage(Message, WParam);
        return 0;
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
        // Keys with Alt play with Alt as their modifier; Alt+F4 still closes.
        KeyMessage(Message, WParam);
        break;
    case WM_SYSCOMMAND:
        // Alt and F10 never put the window into menu mode: Alt plays.
        if ((WParam & 0xFFF0) == SC_KEYMENU)
            return 0;
        break;
    case WM_LBUTTONUP:
    case WM_MBUTTONUP:
    case WM_RBUTTONUP:
        WindowMouseUp(*MouseButtonOf(Message), {GET_X_LPARAM(LParam), GET_Y_LPARAM(LParam)});
        return 0;
    case WM_ACTIVATE: {
        const LRESULT Result = DefWindowProcW(Handle, Message, WParam, LParam);
        if (LOWORD(WParam) == WA_INACTIVE)
            Handlers.FormDeactivate();
        else
            Handlers.FormActivate();
        return Result;
    }
    case WM_ACTIVATEAPP:
        // Coming back from another application also takes the focus back;
        // leaving for another one releases the keys.
        if (WParam != FALSE)
            Handlers.FormActivate();
        else
            Handlers.FormDeactivate();
        return 0;
    case WM_COMMAND:
        if (const auto Control = ControlOfId(LOWORD(WParam)))
            ControlCommand(*Control, HIWORD(WParam));
        return 0;
    case WM_HSCROLL:
        if (const auto Control = ControlOfId(GetDlgCtrlID(reinterpret_cast<HWND>(LParam))))
            TrackBarMoved(*Control);
        return 0;
    case WM_DRAWITEM: DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(LParam)); return TRUE;
    case WM_CLOSE:
        if (OnClose)
            OnClose();
        ShowWindow(Window, SW_HIDE);
        PostQuitMessage(0);
        return 0;
    case WM_RELEASE_WHAT_WENT_UP: Handlers.ReleaseWhatWentUp(); return 0;
    case WM_TAKE_FOCUS_BACK: TakeFocusBack(); return 0;
    case WM_LIST_CLOSED_UP: Handlers.ListCloseUp(); return 0;
    case WM_THEMECHANGED: OpenTheme(); break;
    case WM_DPICHANGED: DpiChanged(HIWORD(WParam), *reinterpret_cast<const RECT*>(LParam)); return 0;
    default: break;
    }
    return DefWindowProcW(Handle, Message, WParam, LParam);
}

void TForm1::KeyMessage(UINT Message, WPARAM Key)
{
    // The handlers know an auto-repeat by the key being down already.
    if (IsKeyRelease(Message))
        Handlers.FormKeyUp(static_cast<uint16_t>(Key), ShiftStateNow());
    else
        Handlers.FormKeyDown(static_cast<uint16_t>(Key), ShiftStateNow());
}

void TForm1::WindowMouseUp(TMouseButton Released, POINT At)
{
    // A group box passes its releases on to the window (it lets the pointer
    // through to it), but for "Mouse Controller".
    const TRect Quiet = PlaceInWindow(PlaceOf(TFormControl::GroupBox5));
    if (Quiet.Contains(Unscaled(At.x, Dpi), Unscaled(At.y, Dpi)))
        return;
    Handlers.FormMouseUp(Released);
}

void TForm1::ControlCommand(TFormControl Control, UINT Code)
{
    if (Control == TFormControl::Button2 && Code == BN_CLICKED) {
        Handlers.Button2Click();
        return;
    }
    if (PlaceOf(Control).Kind != TControlKind::ComboBox)
        return;
    switch (Code) {
    case CBN_DROPDOWN:
        // The device list reads WinMM's devices again as it opens.
        if (Control == TFormControl::ComboBox1)
            Handlers.ComboBox1DropDown();
        else
            Handlers.ListDropDown();
        break;
    // The list finishes closing before the window takes the focus back.
    case CBN_CLOSEUP: PostMessageW(Window, WM_LIST_CLOSED_UP, 0, 0); break;
    case CBN_SELCHANGE: {
        // Only the user changes the selection: the window's own CB_SETCURSEL notifies nothing.
        const auto Index = static_cast<int32_t>(SendMessageW(ControlHandle(Control), CB_GETCURSEL, 0, 0));
        switch (Control) {
        case TFormControl::ComboBox1: Handlers.ComboBox1Change(Index); break;
        case TFormControl::ComboBox2: Handlers.ComboBox2Change(Index); break;
        case TFormControl::ComboBox3: Handlers.ComboBox3Change(Index); break;
        case TFormControl::ComboBox5: Handlers.ComboBox5Change(Index); break;
        default: break;
        }
        break;
    }
    default: break;
    }
}

void TForm1::TrackBarMoved(TFormControl Bar)
{
    const auto Position = static_cast<int32_t>(SendMessageW(ControlHandle(Bar), TBM_GETPOS, 0, 0));
    // A drag reports its end at the last position again.
    if (Bar == TFormControl::TrackBar1 && Position != Handlers.TrackBar1.Position())
        Handlers.TrackBar1Change(Position);
    else if (Bar == TFormControl::TrackBar2 && Position != Handlers.TrackBar2.Position())
        Handlers.TrackBar2Change(Position);
}

void TForm1::DrawItem(const DRAWITEMSTRUCT& Item)
{
    const auto Control = ControlOfId(static_cast<int>(Item.CtlID));
    if (!Control)
        return;
    if (PlaceOf(*Control).Kind == TControlKind::StaticText)
        static_cast<const TStaticText&>(*Subclassed[static_cast<size_t>(*Control)]).Draw(Item);
    else
        ButtonOf(*Control).Draw(Item, {ButtonTheme, BoldFont.Handle()});
}

void TForm1::DpiChanged(UINT NewDpi, const RECT& Suggested)
{
    Dpi = NewDpi;
    const SIZE Size = WindowSizeFor(Scaled(FormClientWidth, Dpi), Scaled(FormClientHeight, Dpi), FormStyle, 0, Dpi);
    SetWindowPos(Window, nullptr, Suggested.left, Suggested.top, Size.cx, Size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    LayOut();
}

void TForm1::ShowItems(TFormControl List, const std::vector<std::string>& Items)
{
    const HWND Box = ControlHandle(List);
    SendMessageW(Box, CB_RESETCONTENT, 0, 0);
    for (const std::string& Item : Items)
        SendMessageW(Box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(WideText(Item).c_str()));
    SendMessageW(Box, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
}

void TForm1::ShowItemIndex(TFormControl List, int32_t Index)
{
    SendMessageW(ControlHandle(List), CB_SETCURSEL, static_cast<WPARAM>(Index), 0);
}

void TForm1::ShowTrackBar(TFormControl Bar, int32_t Min, int32_t Max, int32_t Frequency, int32_t Position)
{
    // None of these notifies the window: drawing a value is no change of the user's.
    const HWND Control = ControlHandle(Bar);
    SendMessageW(Control, TBM_SETRANGEMIN, FALSE, Min);
    SendMessageW(Control, TBM_SETRANGEMAX, FALSE, Max);
    SendMessageW(Control, TBM_SETTICFREQ, static_cast<WPARAM>(Frequency), 0);
    SendMessageW(Control, TBM_SETPOS, TRUE, Position);
}

void TForm1::ShowEnabled(TFormControl Control, bool Enabled)
{
    EnableWindow(ControlHandle(Control), Enabled ? TRUE : FALSE);
}

void TForm1::ShowHint(TFormControl Control, const std::string& Hint)
{
    Hints->Show(Control, ControlHandle(Control), Hint);
}

void TForm1::ShowCaption(TFormControl Button, TColor Color, bool Bold)
{
    ButtonOf(Button).SetCaptionStyle(Color, Bold);
}

void TForm1::ShowLit(int32_t Offset, bool Lit)
{
    ButtonOf(PianoKey(Offset)).SetLit(Lit);
}

void TForm1::PlaceWindow()
{
    SetWindowLongPtrW(Window, GWL_STYLE, FormStyle | (IsWindowVisible(Window) ? WS_VISIBLE : 0));
    const SIZE Size = WindowSizeFor(Scaled(FormClientWidth, Dpi), Scaled(FormClientHeight, Dpi), FormStyle, 0, Dpi);
    RECT Desktop;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &Desktop, 0);
    const TPoint Corner =
        CentredOver({Desktop.left, Desktop.top, Desktop.right - Desktop.left, Desktop.bottom - Desktop.top},
                    Size.cx, Size.cy);
    SetWindowPos(Window, nullptr, Corner.X, Corner.Y, Size.cx, Size.cy,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void TForm1::TakeFocusBack()
{
    const HWND Focused = GetFocus();
    if (Focused == nullptr || Focused == Window || !IsChild(Window, Focused))
        return;
    SetFocus(Window);
    if (GetActiveWindow() != Window)
        SetActiveWindow(Window);
}

void TForm1::PopUpMenu(TFormMenu Menu)
{
    const TFormControl Label = Menu == TFormMenu::File ? TFormControl::StaticText1 : TFormControl::StaticText2;
    if (const auto Item = Menus.PopUp(Menu, ControlHandle(Label), Window))
        RunMenuItem(*Item);
}

void TForm1::RunMenuItem(TMenuItem Item)
{
    switch (Item) {
    case TMenuItem::File1: Handlers.File1Click(); break;
    case TMenuItem::Help1: Handlers.Help1Click(); break;
    case TMenuItem::ProductHomepage1: Handlers.ProductHomepage1Click(); break;
    case TMenuItem::About1: Handlers.About1Click(); break;
    // The dash items are items with no action.
    case TMenuItem::N1:
    case TMenuItem::N2: break;
    }
}

void TForm1::ShowAbout()
{
    if (About != nullptr)
        About->ShowModal();
}

void TForm1::CloseWindow()
{
    Close();
}

TMouseButtons TForm1::MouseButtonsDown() const
{
    // The physical buttons: with the buttons swapped, the right one is the left.
    const bool Swapped = GetSystemMetrics(SM_SWAPBUTTON) != 0;
    TMouseButtons Held;
    if (GetAsyncKeyState(Swapped ? VK_RBUTTON : VK_LBUTTON) < 0)
        Held.Include(TMouseButton::Left);
    if (GetAsyncKeyState(VK_MBUTTON) < 0)
        Held.Include(TMouseButton::Middle);
    if (GetAsyncKeyState(Swapped ? VK_LBUTTON : VK_RBUTTON) < 0)
        Held.Include(TMouseButton::Right);
    return Held;
}

void TForm1::StaticTextLeftDown()
{
    Handlers.StaticTextLeftDown();
}

void TForm1::StaticTextMouseDown(TFormControl Label, TMouseButton)
{
    if (Label == TFormControl::StaticText1)
        Handlers.StaticText1MouseDown();
    else
        Handlers.StaticText2MouseDown();
}

void TForm1::ButtonMouseDown(TFormControl Button, TMouseButton Pressed, TMouseButtons Held, POINT At)
{
    if (PianoKeyOffset(Button)) {
        // A further button pressed while one holds a key comes to that key;
        // it belongs to the key under the pointer (a chord of two keys).
        const TRect Keyboard = PlaceInWindow(PlaceOf(TFormControl::GroupBox13));
        if (const auto Offset =
                PianoKeyAt(Unscaled(At.x, Dpi) - Keyboard.Left, Unscaled(At.y, Dpi) - Keyboard.Top))
            Handlers.KeyboardButtonMouseDown(*Offset, Pressed, Held);
    } else if (const auto Number = OctaveButtonNumber(Button)) {
        Handlers.o1MouseDown(*Number);
    } else if (Button == TFormControl::Button24) {
        Handlers.Button24MouseDown();
    } else if (Button == TFormControl::Button22) {
        Handlers.Button22MouseDown();
    } else if (Button == TFormControl::Button1) {
        Handlers.Button1MouseDown();
    } else if (Button == TFormControl::Button4) {
        Handlers.Button3MouseDown();
    }
}

void TForm1::ButtonMouseUp(TMouseButton Released)
{
    Handlers.FormMouseUp(Released);
}

void TForm1::ControlMouseUp(TMouseButton Released)
{
    Handlers.ControlMouseUp(Released);
}

void TForm1::PointerLeftButton()
{
    TakeFocusBack();
}

void TForm1::TrackBarFocused()
{
    // Posted: the bar takes the mouse for a drag only after the focus.
    PostMessageW(Window, WM_TAKE_FOCUS_BACK, 0, 0);
}
