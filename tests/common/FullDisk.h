#pragma once

#include <signal.h>
#include <sys/resource.h>

// While it lives, no file of this process can grow, as on a full disk: every
// write of a byte to a file fails (the process's file size limit is zero).
// Files can still be created, read, renamed and removed.
class TFullDisk {
public:
    TFullDisk();
    ~TFullDisk();
    TFullDisk(const TFullDisk&) = delete;
    TFullDisk& operator=(const TFullDisk&) = delete;

private:
    rlimit Replaced{};
    struct sigaction ReplacedAction {};
};
