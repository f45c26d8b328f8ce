#include "ChildProcess.h"

#include <cstdlib>
#include <thread>

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

pid_t ForkChild(bool KeepStandardStreams)
{
    const pid_t Parent = getpid();
    const pid_t Child = fork();
    if (Child == 0) {
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != Parent)
            _exit(1);
        if (!KeepStandardStreams) {
            const int Null = open("/dev/null", O_RDWR);
            dup2(Null, STDOUT_FILENO);
            dup2(Null, STDERR_FILENO);
        }
    }
    return Child;
}

void EndChild(pid_t Child)
{
    if (Child <= 0)
        return;
    kill(Child, SIGTERM);
    waitpid(Child, nullptr, 0);
}

pid_t StartProcess(const std::vector<std::string>& Arguments, const std::vector<std::string>& Environment,
                   const std::string& ErrorFile)
{
    const pid_t Program = ForkChild(true);
    if (Program == 0) {
        for (const std::string& Variable : Environment) {
            const size_t Equals = Variable.find('=');
            if (Equals == std::string::npos)
                unsetenv(Variable.c_str());
            else
                setenv(Variable.substr(0, Equals).c_str(), Variable.substr(Equals + 1).c_str(), 1);
        }
        if (chdir("/") != 0)
            _exit(127);
        const int Errors = ErrorFile.empty() ? open("/dev/null", O_WRONLY)
                                             : open(ErrorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(Errors, STDERR_FILENO);
        std::vector<char*> Argv;
        for (const std::string& Argument : Arguments)
            Argv.push_back(const_cast<char*>(Argument.c_str()));
        Argv.push_back(nullptr);
        execvp(Argv[0], Argv.data());
        _exit(127);
    }
    return Program;
}

int Ended(pid_t& Program, std::chrono::milliseconds Limit)
{
    using namespace std::chrono_literals;
    if (Program <= 0)
        return -1;
    const auto Deadline = std::chrono::steady_clock::now() + Limit;
    int Exit = 0;
    while (waitpid(Program, &Exit, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() >= Deadline)
            return -1;
        std::this_thread::sleep_for(20ms);
    }
    Program = -1;
    return WIFEXITED(Exit) ? WEXITSTATUS(Exit) : -1;
}
