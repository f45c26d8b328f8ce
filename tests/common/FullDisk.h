#pragma once

#include <string>

#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#endif

// While it lives, every write to the file FileName fails and leaves the file
// as it was, as on a full disk. On Linux no file of this process can grow
// (its file size limit is zero), though files can still be created, read,
// renamed and removed. Windows has no such limit: there, another program
// holds the file open without letting it be replaced, which fails a write
// at the same last step.
class TFullDisk {
public:
    explicit TFullDisk(const std::string& FileName);
    ~TFullDisk();
    TFullDisk(const TFullDisk&) = delete;
    TFullDisk& operator=(const TFullDisk&) = delete;

private:
#ifdef _WIN32
    void* Held;
#else
    rlimit Replaced{};
    struct sigaction ReplacedAction {};
#endif
};
