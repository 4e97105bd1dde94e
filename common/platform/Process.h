#pragma once

// Starting a helper program and waiting for it, without touching our own current directory (it is
// process-wide, and other threads run while a helper is started).

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// What an executable's file name ends in.
#ifdef _WIN32
constexpr const char* kExecutableSuffix = ".exe";
#else
constexpr const char* kExecutableSuffix = "";
#endif

#ifdef _WIN32
// The command line that hands `args` to a child whose C runtime splits it again: each in double quotes,
// with backslashes doubled only where they come before a quote.
std::string commandLineOf(const std::vector<std::string>& args);
#endif

// A started child; nothing is held when the members have their initial values.
struct ChildProcess
{
#ifdef _WIN32
    void* process = nullptr; // the process and thread handles
    void* thread = nullptr;
#else
    int pid = -1;
    int waitHandle = -1; // a descriptor that becomes readable when the child ends, where the system has one
#endif
};

enum class WaitResult
{
    Exited,
    // Ended by a signal (on Windows: by an unhandled exception), before it could say how it went.
    Killed,
    TimedOut,
    Failed,
};

// Starts `path` with the arguments `args` (args[0] is the name the child sees as its own) and `workingFolder`
// as the child's current directory, with our environment; on Windows its window hidden, and each argument
// quoted on the command line. Returns 0, or the system error code when the program cannot be started
// (missing, not executable, folder missing).
int startProcess(const std::string& path, const std::vector<std::string>& args, const std::string& workingFolder,
                 ChildProcess& child);

// Waits at most `timeoutMs` for the child to end. A child that ended is reaped. `error` receives the
// system error code of a failed wait, the signal number (the exception code on Windows) of a killed
// child, or the exit code of a child that exited.
WaitResult waitProcess(ChildProcess& child, std::uint32_t timeoutMs, int* error = nullptr);

// The system's identifier of a started child; 0 when none is held.
unsigned long processId(const ChildProcess& child);

// Gives up the handles of a child. A child still running is left running and reaped in the background
// when it ends, so it never stays behind as a zombie.
void releaseProcess(ChildProcess& child);

// Our current directory; empty when it cannot be read.
std::string currentDirectory();

} // namespace platform
