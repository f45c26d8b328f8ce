// What the shell tests open on Windows: a program without a console or a
// window that leaves "opened.txt" beside itself, so that a test sees it ran.
// Needing neither, it starts no Wine desktop either.
#include <windows.h>

#include <string>

int main()
{
    std::wstring Path(32768, L'\0');
    Path.resize(GetModuleFileNameW(nullptr, Path.data(), static_cast<DWORD>(Path.size())));
    Path.resize(Path.find_last_of(L"\\/") + 1);
    Path += L"opened.txt";
    const HANDLE File = CreateFileW(Path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (File == INVALID_HANDLE_VALUE)
        return 1;
    CloseHandle(File);
    return 0;
}
