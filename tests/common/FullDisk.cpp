#include "FullDisk.h"

TFullDisk::TFullDisk()
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
