#pragma once

#include <string>
#include <sys/types.h>

// A JACK server for tests and benchmarks, on the dummy driver at 48 kHz with
// 256-frame periods, under JACK_DEFAULT_SERVER when the caller set it and
// otherwise under one of a few test names, which it sets. It uses a server of
// that name that already runs, or starts its own and stops it when it goes
// (and, should the test program die, the server goes with it). Programs that use it take turns through a lock file, so that
// timing tests never share the machine with another server's cycles.
class TJACKServer {
public:
    TJACKServer();
    ~TJACKServer();
    TJACKServer(const TJACKServer&) = delete;
    TJACKServer& operator=(const TJACKServer&) = delete;

    bool Runs() const { return Problem.empty(); }
    // Why no server runs; empty while one does.
    std::string Problem;

    // Ends a server this value started at once, as a crash would; false for
    // a server that ran before. Start brings one back.
    bool Kill();
    void Start();

private:
    // Starts jackd under the name JACK_DEFAULT_SERVER holds.
    void StartNamed();
    void Stop();

    int LockFile = -1;
    pid_t Started = 0;
    // Where the server writes what it says.
    std::string LogPath;
};

// Whether the jackd program is installed.
bool JACKServerInstalled();

// Whether a JACK server runs. Never starts one.
bool JACKServerRuns();
