#include "ui/windows/ErrorBox.h"

#include <iterator>
#include <string_view>

#include <windows.h>

#include "support/ErrorRoutines.h"
#include "support/WideTextRoutines.h"
#include "ui/windows/KlavoraForm.h"
#include "ui/windows/SplashScreenRoutines.h"
#include "ui/windows/WindowRoutines.h"

TWindowsErrorBox WindowsErrorBox;

namespace {

// Windows' class of dialog boxes, a message box among them.
constexpr const wchar_t* DialogClassName = L"#32770";

BOOL CALLBACK CloseErrorBox(HWND Window, LPARAM)
{
    wchar_t Class[16] = {};
    GetClassNameW(Window, Class, static_cast<int>(std::size(Class)));
    if (std::wstring_view(Class) == DialogClassName && WindowText(Window) == WideText(ErrorCaption))
        EndDialog(Window, IDOK);
    return TRUE;
}

}

void TWindowsErrorBox::Run(const std::string& Message)
{
    if (SplashScreen != nullptr)
        SplashScreen->Hide();
    HWND Owner = GetActiveWindow();
    if (Owner == nullptr && Form1 != nullptr)
        Owner = Form1->Handle();
    MessageBoxW(Owner, WideText(Message).c_str(), WideText(ErrorCaption).c_str(), MB_OK);
}

void TWindowsErrorBox::Close()
{
    // The box runs its modal loop on this thread, further up the stack.
    EnumThreadWindows(GetCurrentThreadId(), CloseErrorBox, 0);
}
