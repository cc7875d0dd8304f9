#pragma once

#include <functional>

#include <csignal>
#include <sys/resource.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

// Work done in a forked child, so that what the child suffers (a file size
// limit, a kill) never touches the test process. The child runs only the
// given work and leaves through _exit, without the test program's clean-up.
class ChildProcess
{
public:
    // Forks; the child sets the limit on the size of any file it writes
    // (negative: none), takes writes past it as failed writes rather than a
    // signal, runs work and exits 0 if it returned true, 1 if not.
    static ChildProcess start(const std::function<bool()> &work, long long fileSizeLimit = -1)
    {
        ChildProcess child;
        child.pid = ::fork();
        if (child.pid == 0) {
            std::signal(SIGXFSZ, SIG_IGN);
            if (fileSizeLimit >= 0) {
                const rlimit limit{static_cast<rlim_t>(fileSizeLimit), static_cast<rlim_t>(fileSizeLimit)};
                ::setrlimit(RLIMIT_FSIZE, &limit);
            }
            ::_exit(work() ? 0 : 1);
        }
        return child;
    }

    // Waits for the end; the exit code, or 128 + the signal that ended it, or
    // -1 when there was no child.
    int wait()
    {
        if (pid <= 0)
            return -1;
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0) {
        }
        pid = -1;
        if (WIFEXITED(status))
            return WEXITSTATUS(status);
        return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : -1;
    }

    void kill() const
    {
        if (pid > 0)
            ::kill(pid, SIGKILL);
    }

    bool started() const { return pid > 0; }

    ChildProcess(const ChildProcess &) = delete;
    ChildProcess &operator=(const ChildProcess &) = delete;
    ChildProcess(ChildProcess &&other) noexcept : pid(other.pid) { other.pid = -1; }
    ~ChildProcess()
    {
        kill();
        wait();
    }

private:
    ChildProcess() = default;
    pid_t pid = -1;
};
