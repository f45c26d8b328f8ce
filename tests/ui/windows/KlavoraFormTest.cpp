#include <string>
#include <vector>

#include "WindowsFormFixture.h"

#include <commctrl.h>

#include "config/KlavoraConfigRoutines.h"
#include "core/MIDIPianoRoutines.h"
#include "ui/ErrorBoxRoutines.h"
#include "ui/windows/ErrorBox.h"
#include "ui/windows/KlavoraForm.h"

namespace {

constexpr WPARAM KeyZ = 'Z'; // plays offset 0 in the test key map
constexpr WPARAM KeyX = 'X'; // offset 2

// A control's rectangle in the main window's client area.
RECT PlaceInWindow(HWND Control)
{
    RECT Place;
    GetWindowRect(Control, &Place);
    MapWindowPoints(nullptr, GetParent(Control), reinterpret_cast<POINT*>(&Place), 2);
    return Place;
}

std::string TextOf(HWND Window)
{
    char Text[128] = {};
    GetWindowTextA(Window, Text, sizeof Text);
    return Text;
}

std::string HintOf(HWND Tips, HWND Window, HWND Control)
{
    wchar_t Text[128] = {};
    TTTOOLINFOW Tool = {};
    Tool.cbSize = TTTOOLINFOW_V2_SIZE;
    Tool.hwnd = Window;
    Tool.uId = reinterpret_cast<UINT_PTR>(Control);
    Tool.lpszText = Text;
    SendMessageW(Tips, TTM_GETTEXTW, std::size(Text), reinterpret_cast<LPARAM>(&Tool));
    char Narrow[128] = {};
    WideCharToMultiByte(CP_UTF8, 0, Text, -1, Narrow, sizeof Narrow, nullptr, nullptr);
    return Narrow;
}

// The colour at the centre of a control, as it paints itself.
COLORREF PaintedCentre(HWND Control)
{
    RECT Client;
    GetClientRect(Control, &Client);
    const HDC Screen = GetDC(nullptr);
    const HDC Memory = CreateCompatibleDC(Screen);
    const HBITMAP Bitmap = CreateCompatibleBitmap(Screen, Client.right, Client.bottom);
    const HGDIOBJ Replaced = SelectObject(Memory, Bitmap);
    SendMessageW(Control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(Memory), PRF_CLIENT);
    const COLORREF Centre = GetPixel(Memory, Client.right / 2, Client.bottom * 3 / 4);
    SelectObject(Memory, Replaced);
    DeleteObject(Bitmap);
    DeleteDC(Memory);
    ReleaseDC(nullptr, Screen);
    return Centre;
}

COLORREF LitWhiteKeyColor()
{
    const auto Of = [](COLORREF Color) { return RGBColor(GetRValue(Color), GetGValue(Color), GetBValue(Color)); };
    const TColor Lit = LitKeyColor(Of(GetSysColor(COLOR_HIGHLIGHT)), Of(GetSysColor(COLOR_BTNFACE)), false);
    return RGB(RedOf(Lit), GreenOf(Lit), BlueOf(Lit));
}

}

TEST_F(WindowsFormTest, ControlsStandWhereTheWindowsDefinitionPlacesThem)
{
    CreateForm();
    RECT Client;
    GetClientRect(Window(), &Client);
    EXPECT_EQ(Client.right, 507);
    EXPECT_EQ(Client.bottom, 219);
    EXPECT_EQ(GetWindowLongPtrW(Window(), GWL_STYLE) & (WS_MAXIMIZEBOX | WS_THICKFRAME), 0);

    for (const TControlPlace& Place : FormControls()) {
        SCOPED_TRACE(Place.Name);
        TRect Expected = Place.Place;
        if (Place.Parent != TFormControl::None) {
            Expected.Left += PlaceOf(Place.Parent).Place.Left;
            Expected.Top += PlaceOf(Place.Parent).Place.Top;
        }
        const RECT Actual = PlaceInWindow(Control(Place.Control));
        EXPECT_EQ(Actual.left, Expected.Left + 5);
        EXPECT_EQ(Actual.top, Expected.Top + 5);
        EXPECT_EQ(Actual.right - Actual.left, Expected.Width);
        EXPECT_EQ(Actual.bottom - Actual.top, Expected.Height);
    }
    const RECT Devices = PlaceInWindow(Control(TFormControl::ComboBox1));
    EXPECT_EQ(Devices.left, 13);
    EXPECT_EQ(Devices.top, 36);
    EXPECT_EQ(Devices.bottom, 57);

    // The black key lies on the white ones: the pointer over both finds it.
    const RECT Black = PlaceInWindow(Control(TFormControl::Piano1));
    EXPECT_EQ(ChildWindowFromPointEx(Window(), {Black.left + 1, Black.top + 10}, CWP_SKIPINVISIBLE),
              Control(TFormControl::Piano1));
    EXPECT_EQ(ChildWindowFromPointEx(Window(), {Black.right - 2, Black.top + 10}, CWP_SKIPINVISIBLE),
              Control(TFormControl::Piano1));
    EXPECT_EQ(ChildWindowFromPointEx(Window(), {Black.left + 1, Black.bottom + 2}, CWP_SKIPINVISIBLE),
              Control(TFormControl::Piano0));
}

TEST_F(WindowsFormTest, ControlsShowTheSettingsWithoutRaisingTheirChanges)
{
    KeyboardConfig.SetChannel(3);
    CreateForm();
    EXPECT_EQ(Send(Control(TFormControl::ComboBox1), CB_GETCOUNT), 3);
    EXPECT_EQ(Send(Control(TFormControl::ComboBox1), CB_GETCURSEL), 0);
    EXPECT_EQ(Send(Control(TFormControl::ComboBox5), CB_GETCOUNT), 12);
    EXPECT_EQ(Send(Control(TFormControl::ComboBox5), CB_GETCURSEL), 2);

    const HWND Volume = Control(TFormControl::TrackBar1);
    EXPECT_TRUE(IsWindowEnabled(Volume));
    EXPECT_EQ(Send(Volume, TBM_GETRANGEMIN), 23);
    EXPECT_EQ(Send(Volume, TBM_GETRANGEMAX), 103);
    EXPECT_EQ(Send(Volume, TBM_GETPOS), 103);
    EXPECT_EQ(Send(Control(TFormControl::TrackBar2), TBM_GETRANGEMAX), 127);

    const HWND Tips = FindWindowExW(nullptr, nullptr, TOOLTIPS_CLASSW, nullptr);
    ASSERT_NE(Tips, nullptr);
    EXPECT_EQ(HintOf(Tips, Window(), Control(TFormControl::ComboBox5)), "Controller Channel: 3");
    EXPECT_EQ(HintOf(Tips, Window(), Control(TFormControl::Piano0)), "C4");
    EXPECT_EQ(HintOf(Tips, Window(), Control(TFormControl::o5)), "Ocatave: 5 - 6");
    EXPECT_EQ(HintOf(Tips, Window(), Volume), "Voice Volume: 103");
    EXPECT_EQ(TextOf(Control(TFormControl::StaticText1)), "  File ");
    EXPECT_TRUE(Sent().empty());
}

TEST_F(WindowsFormTest, TheUsersChoicesInListsAndTrackBarsReachTheSettings)
{
    CreateForm();
    const HWND Channels = Control(TFormControl::ComboBox5);
    Send(Channels, CB_SETCURSEL, 2);
    Send(Window(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(Channels), CBN_SELCHANGE), reinterpret_cast<LPARAM>(Channels));
    EXPECT_EQ(KeyboardConfig.GetChannel(), 3);
    EXPECT_EQ(Sent(), (std::vector<std::string>{"C2 00"}));

    const HWND Volume = Control(TFormControl::TrackBar1);
    Send(Volume, TBM_SETPOS, TRUE, 50);
    Send(Window(), WM_HSCROLL, TB_THUMBTRACK, reinterpret_cast<LPARAM>(Volume));
    EXPECT_EQ(KeyboardConfig.GetVolume(), 50);
    Service.ClearRecords();
    SendKey(WM_KEYDOWN, KeyZ);
    EXPECT_EQ(Sent(), (std::vector<std::string>{"92 30 32"}));
}

TEST_F(WindowsFormTest, AKeyPlaysItsNoteAndLightsItsKeyUntilItGoesUp)
{
    CreateForm();
    const COLORREF Idle = PaintedCentre(Control(TFormControl::Piano0));
    SendKey(WM_KEYDOWN, KeyZ);
    // The keyboard repeats a held key: it sounds once.
    SendKey(WM_KEYDOWN, KeyZ, true);
    EXPECT_EQ(Sent(), (std::vector<std::string>{"90 30 67"}));
    EXPECT_TRUE(Form1->KeyLit(0));
    EXPECT_EQ(PaintedCentre(Control(TFormControl::Piano0)), LitWhiteKeyColor());

    SendKey(WM_KEYUP, KeyZ);
    EXPECT_EQ(Sent(), (std::vector<std::string>{"90 30 67", "80 30 00"}));
    EXPECT_FALSE(Form1->KeyLit(0));
    EXPECT_EQ(PaintedCentre(Control(TFormControl::Piano0)), Idle);
    EXPECT_NE(Idle, LitWhiteKeyColor());
}

TEST_F(WindowsFormTest, AltAccentsAndCtrlSoftensWithoutEnteringMenuMode)
{
    CreateForm();
    bool MenuMode = false;
    static bool* Entered = &MenuMode;
    const HHOOK Watch = SetWindowsHookExW(
        WH_CALLWNDPROC,
        [](int Code, WPARAM WParam, LPARAM LParam) {
            if (Code >= 0 && reinterpret_cast<const CWPSTRUCT*>(LParam)->message == WM_ENTERMENULOOP)
                *Entered = true;
            return CallNextHookEx(nullptr, Code, WParam, LParam);
        },
        nullptr, GetCurrentThreadId());
    // Should a menu open after all, it closes again.
    const UINT_PTR Closer = SetTimer(nullptr, 0, 200, [](HWND, UINT, UINT_PTR, DWORD) { EndMenu(); });

    HoldModifiers(false, true, false);
    SendKey(WM_SYSKEYDOWN, VK_MENU);
    SendKey(WM_SYSKEYDOWN, KeyZ);
    SendKey(WM_SYSKEYUP, KeyZ);
    SendKey(WM_SYSKEYUP, VK_MENU);
    HoldModifiers(false, false, true);
    SendKey(WM_KEYDOWN, KeyX);
    SendKey(WM_KEYUP, KeyX);
    HoldModifiers(false, false, false);
    SendKey(WM_SYSKEYDOWN, VK_F10);
    SendKey(WM_SYSKEYUP, VK_F10);
    EXPECT_EQ(Send(Window(), WM_SYSCOMMAND, SC_KEYMENU, ' '), 0);
    DispatchWaiting();

    KillTimer(nullptr, Closer);
    UnhookWindowsHookEx(Watch);
    EXPECT_FALSE(MenuMode);
    // 103 + 24 with Alt, 103 - 23 with Ctrl.
    EXPECT_EQ(Sent(), (std::vector<std::string>{"90 30 7F", "80 30 00", "90 32 50", "80 32 00"}));
}

TEST_F(WindowsFormTest, KeysThatReachAControlPlayInTheWindow)
{
    CreateForm();
    const HWND Reset = Control(TFormControl::Button2);
    PostMessageW(Reset, WM_KEYDOWN, KeyZ, 1);
    PostMessageW(Reset, WM_KEYUP, KeyZ, 0xC0000001);
    DispatchWaiting();
    EXPECT_EQ(Sent(), (std::vector<std::string>{"90 30 67", "80 30 00"}));
}

TEST_F(WindowsFormTest, EveryMouseButtonPlaysTheKeyUnderThePointer)
{
    CreateForm();
    const HWND Lowest = Control(TFormControl::Piano0);
    SendMessageW(Lowest, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 70));
    // The right button goes down over the black key beside it while the
    // left one holds the lowest key, and goes up over a track bar.
    SendMessageW(Lowest, WM_RBUTTONDOWN, MK_LBUTTON | MK_RBUTTON, MAKELPARAM(20, 10));
    SendMessageW(Control(TFormControl::TrackBar2), WM_RBUTTONUP, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_EQ(Sent(), (std::vector<std::string>{"90 30 67", "90 31 67", "80 31 00"}));

    // A release over "Mouse Controller" beside its button ends nothing; over
    // any other group box it ends the button's note.
    const RECT Quiet = PlaceInWindow(Control(TFormControl::GroupBox5));
    SendMessageW(Window(), WM_LBUTTONUP, 0, MAKELPARAM(Quiet.left + 3, Quiet.bottom - 3));
    EXPECT_EQ(Sent().size(), 3u);
    const RECT Octaves = PlaceInWindow(Control(TFormControl::GroupBox17));
    SendMessageW(Window(), WM_LBUTTONUP, 0, MAKELPARAM(Octaves.left + 3, Octaves.bottom - 3));
    EXPECT_EQ(Sent().back(), "80 30 00");
}

TEST_F(WindowsFormTest, AKeyReleasedUnderAnErrorBoxEndsItsNoteOnceTheBoxIsGone)
{
    ErrorBoxStart(WindowsErrorBox);
    CreateForm();
    // The Note On fails: its box comes up while the key is still down.
    Service.ShortMsgResults = {MIDIERR_NOTREADY};

    struct TBoxSeen {
        HWND Box = nullptr;
        HWND Owner = nullptr;
    };
    static TBoxSeen Seen;
    Seen = {};
    // Under the box the key goes up, then the user presses OK.
    const UINT_PTR Watcher = SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR, DWORD) {
        const HWND Box = FindWindowW(L"#32770", L"Application Error");
        if (Box == nullptr || Seen.Box == Box)
            return;
        Seen = {Box, GetWindow(Box, GW_OWNER)};
        PostMessageW(Box, WM_KEYUP, KeyZ, 0xC0000001);
        PostMessageW(Box, WM_COMMAND, IDOK, 0);
    });
    SendKey(WM_KEYDOWN, KeyZ);
    KillTimer(nullptr, Watcher);
    EXPECT_TRUE(Sent().empty());
    DispatchWaiting();
    ErrorBoxStop();

    EXPECT_NE(Seen.Box, nullptr);
    EXPECT_EQ(Seen.Owner, Window());
    EXPECT_EQ(Sent(), (std::vector<std::string>{"80 30 00"}));
    EXPECT_FALSE(MIDIPiano.IsSounding(48));
}

TEST_F(WindowsFormTest, PedalOctaveAndPushButtonsDoTheirPartOnAPress)
{
    CreateForm();
    const auto Press = [this](TFormControl Button, UINT Down, UINT Up) {
        Send(Control(Button), Down, 0, MAKELPARAM(3, 3));
        Send(Control(Button), Up, 0, MAKELPARAM(3, 3));
    };
    Press(TFormControl::Button22, WM_RBUTTONDOWN, WM_RBUTTONUP);
    EXPECT_TRUE(KeyboardConfig.GetSustain());
    Press(TFormControl::Button1, WM_MBUTTONDOWN, WM_MBUTTONUP);
    Press(TFormControl::Button24, WM_LBUTTONDOWN, WM_LBUTTONUP);
    EXPECT_TRUE(KeyboardConfig.GetSoft());
    EXPECT_FALSE(KeyboardConfig.GetAccent());
    Press(TFormControl::o3, WM_LBUTTONDOWN, WM_LBUTTONUP);
    EXPECT_EQ(KeyboardConfig.GetOctave(), 2);
    const HWND Tips = FindWindowExW(nullptr, nullptr, TOOLTIPS_CLASSW, nullptr);
    EXPECT_EQ(HintOf(Tips, Window(), Control(TFormControl::Piano0)), "C2");
    EXPECT_TRUE(Sent().empty());

    // A mouse note, sustained, ends with "All Notes Off".
    Press(TFormControl::Piano0, WM_LBUTTONDOWN, WM_LBUTTONUP);
    Press(TFormControl::Button4, WM_LBUTTONDOWN, WM_LBUTTONUP);
    EXPECT_EQ(Sent(), (std::vector<std::string>{"90 18 50", "80 18 00"}));

    Service.ClearRecords();
    Send(Control(TFormControl::Button2), BM_CLICK);
    const std::vector<std::string> Reset = Sent();
    ASSERT_EQ(Reset.size(), 17u);
    EXPECT_EQ(Reset.front(), "B0 7B 00");
    EXPECT_EQ(Reset[15], "BF 7B 00");
    EXPECT_EQ(Reset.back(), "C0 00");
}
