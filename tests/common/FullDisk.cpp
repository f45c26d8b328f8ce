#include "FullDisk.h"

#ifdef _WIN32
#include <windows.h>

#include "support/WideTextRoutines.h"

TFullDisk::TFullDisk(const std::string& FileName)
    : Held(CreateFileW(WideText(FileName).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr))
{
}

TFullDisk::~TFullDisk()
{
    if (Held != INVALID_HANDLE_VALUE)
        CloseHandle(Held);
}
#else
TFullDisk::TFullDisk(const std::string&)
{
    // A write beyond the limit raises SIGXFSZ first; ignored, the write fails with EFBIG.
    struct sigaction Ignore {};
    Ignore.sa_handler = SIG_IGN;
    sigaction(SIGXFSZ, &Ignore, &ReplacedAction);
    getrlimit(RLIMIT_FSIZE, &Replaced);
    rlimit None = Replaced;
    None.rlim_cur = 0;
    setrlimit(RLIMIT_FSIZE, &None);
}

TFullDisk::~TFullDisk()
{
    setrlimit(RLIMIT_FSIZE, &Replaced);
    sigaction(SIGXFSZ, &ReplacedAction, nullptr);
}
#endif
