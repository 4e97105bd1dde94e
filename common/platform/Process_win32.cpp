#include "platform/Process.h"

#include "platform/WindowsApi.h"

namespace platform {

namespace {

// One argument as the C runtime of the child splits the command line again: in double quotes, with
// backslashes doubled only where they come before a quote.
void appendQuoted(std::string& commandLine, const std::string& argument)
{
    commandLine += '"';
    std::size_t backslashes = 0;
    for (const char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        if (c == '"')
            commandLine.append(backslashes * 2 + 1, '\\');
        else
            commandLine.append(backslashes, '\\');
        commandLine += c;
        backslashes = 0;
    }
    commandLine.append(backslashes * 2, '\\');
    commandLine += '"';
}

} // namespace

std::string commandLineOf(const std::vector<std::string>& args)
{
    std::string commandLine;
    for (const std::string& arg : args) {
        if (!commandLine.empty())
            commandLine += ' ';
        appendQuoted(commandLine, arg);
    }
    return commandLine;
}

int startProcess(const std::string& path, const std::vector<std::string>& args, const std::string& workingFolder,
                 ChildProcess& child)
{
    std::wstring commandLine = wideText(commandLineOf(args));
    const std::wstring program = wideText(path);
    const std::wstring folder = wideText(workingFolder);

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION started{};
    // The full path as the program, so that no search can pick another file of the helper's name. No
    // handle is inherited: a helper needs none of ours, and one it held (its own progress file, say) could
    // not be renamed or deleted while it runs; a redirected output of ours stays ours.
    if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          folder.empty() ? nullptr : folder.c_str(), &startup, &started)) {
        const DWORD error = ::GetLastError();
        return error != 0 ? static_cast<int>(error) : static_cast<int>(ERROR_GEN_FAILURE);
    }
    child.process = started.hProcess;
    child.thread = started.hThread;
    return 0;
}

WaitResult waitProcess(ChildProcess& child, std::uint32_t timeoutMs, int* error)
{
    if (!child.process) {
        if (error)
            *error = ERROR_INVALID_HANDLE;
        return WaitResult::Failed;
    }
    const DWORD result = ::WaitForSingleObject(child.process, timeoutMs);
    switch (result) {
    case WAIT_OBJECT_0: {
        // An exit code in the range of the system's error statuses (0xC0000000 and above: an access
        // violation, a stack overflow, an abort) is how a crash ends a process.
        DWORD code = 0;
        const bool known = ::GetExitCodeProcess(child.process, &code) != FALSE;
        if (error)
            *error = known ? static_cast<int>(code) : 0;
        return known && code >= 0xC0000000u ? WaitResult::Killed : WaitResult::Exited;
    }
    case WAIT_TIMEOUT:
        return WaitResult::TimedOut;
    case WAIT_FAILED:
        if (error)
            *error = static_cast<int>(::GetLastError());
        return WaitResult::Failed;
    default:
        if (error)
            *error = static_cast<int>(result);
        return WaitResult::Failed;
    }
}

unsigned long processId(const ChildProcess& child)
{
    return child.process ? ::GetProcessId(child.process) : 0;
}

void releaseProcess(ChildProcess& child)
{
    if (child.thread)
        ::CloseHandle(child.thread);
    if (child.process)
        ::CloseHandle(child.process);
    child.thread = nullptr;
    child.process = nullptr;
}

std::string currentDirectory()
{
    const DWORD size = ::GetCurrentDirectoryW(0, nullptr);
    if (size == 0)
        return {};
    std::wstring buffer(size, L'\0');
    const DWORD n = ::GetCurrentDirectoryW(size, buffer.data());
    if (n == 0 || n >= size)
        return {};
    buffer.resize(n);
    return utf8Text(buffer);
}

} // namespace platform
