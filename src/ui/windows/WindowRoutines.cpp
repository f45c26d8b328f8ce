#include "ui/windows/WindowRoutines.h"

#include "ui/windows/ProgramResources.h"

HICON ProgramIcon(int SizeMetric)
{
    const int Size = GetSystemMetrics(SizeMetric);
    return static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(ProgramIconId), IMAGE_ICON, Size, Size, LR_SHARED));
}

void RegisterProgramWindowClass(const wchar_t* Name, WNDPROC Procedure)
{
    WNDCLASSEXW Class = {};
    if (GetClassInfoExW(GetModuleHandleW(nullptr), Name, &Class))
        return;
    Class.cbSize = sizeof Class;
    Class.lpfnWndProc = Procedure;
    Class.hInstance = GetModuleHandleW(nullptr);
    Class.hIcon = ProgramIcon(SM_CXICON);
    Class.hIconSm = ProgramIcon(SM_CXSMICON);
    Class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    Class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    Class.lpszClassName = Name;
    RegisterClassExW(&Class);
}

std::wstring WindowText(HWND Window)
{
    std::wstring Text(static_cast<size_t>(GetWindowTextLengthW(Window)) + 1, L'\0');
    Text.resize(static_cast<size_t>(GetWindowTextW(Window, Text.data(), static_cast<int>(Text.size()))));
    return Text;
}
