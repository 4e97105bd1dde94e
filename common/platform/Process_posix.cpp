#include "platform/Process.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <thread>

#include <poll.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace platform {

namespace {

int openWaitHandle(int pid)
{
#ifdef SYS_pidfd_open
    const long fd = ::syscall(SYS_pidfd_open, pid, 0);
    return fd < 0 ? -1 : static_cast<int>(fd);
#else
    (void)pid;
    return -1;
#endif
}

// True when the child has ended and is reaped, or is no longer ours to reap. `signal` receives the
// number of the signal that ended it, 0 when it exited of itself; `exitCode` its exit code then.
bool reapIfEnded(int pid, int* error, int* signal = nullptr, int* exitCode = nullptr)
{
    for (;;) {
        int status = 0;
        const pid_t r = ::waitpid(pid, &status, WNOHANG);
        if (r == pid) {
            if (signal)
                *signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
            if (exitCode)
                *exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 0;
            return true;
        }
        if (r == 0)
            return false;
        if (errno == EINTR)
            continue;
        if (errno == ECHILD) // reaped elsewhere (SIGCHLD ignored): it has ended all the same
            return true;
        if (error)
            *error = errno;
        return false;
    }
}

} // namespace

int startProcess(const std::string& path, const std::vector<std::string>& args, const std::string& workingFolder,
                 ChildProcess& child)
{
    std::vector<char*> argv;
    argv.reserve(args.size() + 1);
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attr;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawnattr_init(&attr);
    if (!workingFolder.empty())
        ::posix_spawn_file_actions_addchdir_np(&actions, workingFolder.c_str());
    // Our own descriptors are opened close-on-exec; a library's may not be. The helper gets the standard
    // three and nothing else of ours, which it could hold open or read.
    ::posix_spawn_file_actions_addclosefrom_np(&actions, 3);

    // The caller's thread may block signals or ignore some (SIGPIPE); the helper starts clean.
    sigset_t mask;
    sigemptyset(&mask);
    ::posix_spawnattr_setsigmask(&attr, &mask);
    sigset_t defaults;
    sigfillset(&defaults);
    sigdelset(&defaults, SIGKILL);
    sigdelset(&defaults, SIGSTOP);
    ::posix_spawnattr_setsigdefault(&attr, &defaults);
    ::posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    pid_t pid = -1;
    const int rc = ::posix_spawn(&pid, path.c_str(), &actions, &attr, argv.data(), environ);
    ::posix_spawnattr_destroy(&attr);
    ::posix_spawn_file_actions_destroy(&actions);
    if (rc != 0)
        return rc;

    child.pid = pid;
    child.waitHandle = openWaitHandle(pid);
    return 0;
}

WaitResult waitProcess(ChildProcess& child, std::uint32_t timeoutMs, int* error)
{
    if (child.pid <= 0) {
        if (error)
            *error = ECHILD;
        return WaitResult::Failed;
    }
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        int waitError = 0;
        int signal = 0;
        int exitCode = 0;
        if (reapIfEnded(child.pid, &waitError, &signal, &exitCode)) {
            child.pid = -1;
            if (signal == 0) {
                if (error)
                    *error = exitCode;
                return WaitResult::Exited;
            }
            if (error)
                *error = signal;
            return WaitResult::Killed;
        }
        if (waitError != 0) {
            if (error)
                *error = waitError;
            return WaitResult::Failed;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            return WaitResult::TimedOut;
        if (child.waitHandle >= 0) {
            pollfd fd{child.waitHandle, POLLIN, 0};
            const int r = ::poll(&fd, 1, static_cast<int>(std::min<long long>(left, INT_MAX)));
            if (r < 0 && errno != EINTR) {
                if (error)
                    *error = errno;
                return WaitResult::Failed;
            }
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(std::min<long long>(left, 10)));
        }
    }
}

unsigned long processId(const ChildProcess& child)
{
    return child.pid > 0 ? static_cast<unsigned long>(child.pid) : 0;
}

void releaseProcess(ChildProcess& child)
{
    if (child.waitHandle >= 0)
        ::close(child.waitHandle);
    child.waitHandle = -1;
    if (child.pid > 0 && !reapIfEnded(child.pid, nullptr)) {
        const int pid = child.pid;
        std::thread([pid] {
            while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
            }
        }).detach();
    }
    child.pid = -1;
}

std::string currentDirectory()
{
    std::string buffer(PATH_MAX, '\0');
    for (;;) {
        if (::getcwd(buffer.data(), buffer.size())) {
            buffer.resize(std::char_traits<char>::length(buffer.c_str()));
            return buffer;
        }
        if (errno != ERANGE)
            return {};
        buffer.resize(buffer.size() * 2);
    }
}

} // namespace platform
