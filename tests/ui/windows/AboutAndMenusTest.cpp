#include <string>
#include <vector>

#include "WindowsFormFixture.h"

#include "support/VCLRoutines.h"
#include "ui/windows/AboutRoutines.h"
#include "ui/windows/KlavoraForm.h"

namespace {

RECT WindowRect(HWND Window)
{
    RECT Rect;
    GetWindowRect(Window, &Rect);
    return Rect;
}

// What a test sees of a modal loop from inside it, through a timer.
struct TSeenInLoop {
    bool Seen = false;
    RECT Place = {};
    HWND Focus = nullptr;
    bool OwnerEnabled = true;
    bool OpenAfterHomePage = false;
};
TSeenInLoop Seen;

}

TEST_F(WindowsFormTest, TheAboutBoxOpensCentredOverTheWindowWithTheFocusOnClose)
{
    CreateForm();
    About = new TAbout(Window());
    std::vector<std::string> Opened;
    const TShellOpener Replaced = SetShellOpener([&](const std::string& Target) { Opened.push_back(Target); });
    SetWindowPos(Window(), nullptr, 37, 21, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    Seen = {};
    const UINT_PTR Watcher = SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR, DWORD) {
        if (Seen.Seen || !IsWindowVisible(About->Handle()))
            return;
        Seen = {true, WindowRect(About->Handle()), GetFocus(), IsWindowEnabled(Form1->Handle()) != FALSE};
        SendMessageW(About->Button2, BM_CLICK, 0, 0);
        Seen.OpenAfterHomePage = IsWindowVisible(About->Handle()) != FALSE;
        SendMessageW(About->Button3, BM_CLICK, 0, 0);
    });
    Form1->Handlers.About1Click();
    KillTimer(nullptr, Watcher);
    SetShellOpener(Replaced);

    ASSERT_TRUE(Seen.Seen);
    const RECT Main = WindowRect(Window());
    EXPECT_EQ(Seen.Place.left, Main.left + (Main.right - Main.left - (Seen.Place.right - Seen.Place.left)) / 2);
    EXPECT_EQ(Seen.Place.top, Main.top + (Main.bottom - Main.top - (Seen.Place.bottom - Seen.Place.top)) / 2);
    EXPECT_EQ(Seen.Focus, About->Button3);
    EXPECT_FALSE(Seen.OwnerEnabled);
    EXPECT_TRUE(Seen.OpenAfterHomePage);
    EXPECT_EQ(Opened, (std::vector<std::string>{HomePageAddress}));
    RECT Client;
    GetClientRect(About->Handle(), &Client);
    EXPECT_EQ(Client.right, AboutWidth);
    EXPECT_EQ(Client.bottom, AboutHeight);
    EXPECT_FALSE(IsWindowVisible(About->Handle()));
    EXPECT_TRUE(IsWindowEnabled(Window()));
    delete About;
    About = nullptr;
}

TEST_F(WindowsFormTest, APressOnTheHelpLabelStopsTheNotesAndOpensItsMenuOverTheLabel)
{
    CreateForm();
    SendMessageW(Window(), WM_KEYDOWN, 'Z', 1);
    Seen = {};
    const UINT_PTR Watcher = SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR, DWORD) {
        const HWND Menu = FindWindowW(L"#32768", nullptr);
        if (Menu == nullptr || !IsWindowVisible(Menu))
            return;
        Seen = {true, WindowRect(Menu)};
        EndMenu();
    });
    // Any mouse button opens the menu.
    SendMessageW(Control(TFormControl::StaticText2), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5));
    KillTimer(nullptr, Watcher);

    ASSERT_TRUE(Seen.Seen);
    const RECT Label = WindowRect(Control(TFormControl::StaticText2));
    EXPECT_EQ(Seen.Place.left, Label.left - 1);
    EXPECT_EQ(Seen.Place.top, Label.top - 1);
    EXPECT_EQ(Sent(), (std::vector<std::string>{"90 30 67", "80 30 00"}));
}
