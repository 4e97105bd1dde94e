// Stands in for a helper program in the tests. argv[1] names a file in a work folder; the child does
// what "child-control.txt" in that folder says, one command per line:
//   marker           append "pid|cwd|argc|argv[0]|argv[1]" as a line to child-runs.log
//   copy SRC DST     copy a file (paths without blanks)
//   sleep SECONDS
//   exit CODE
//   running NAME     write the file NAME beside argv[1] as a helper's run-state file marking this process
//                    running ("[Status]" and "Running=<pid>")
//   killed           end as a killed process does (SIGKILL; on Windows the status of a crash)
//   handles PATH [H...]
//                    append to child-handles.log, one a line, every handle this process inherited that
//                    refers to the file PATH (on Linux found among its open descriptors; on Windows only the
//                    handle numbers H the parent holds on PATH are looked at)
// Without a control file it ends at once.

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <process.h>
#include <windows.h>
#define getpid _getpid
#else
#include <climits>
#include <csignal>
#include <unistd.h>
#endif

namespace {

// The handles among those we got from our parent that refer to the file `path`, as text.
std::vector<std::string> inheritedHandlesOf(const std::string& path, std::istringstream& words)
{
    std::vector<std::string> found;
#ifdef _WIN32
    const auto identity = [](HANDLE h, BY_HANDLE_FILE_INFORMATION& info) {
        return ::GetFileType(h) == FILE_TYPE_DISK && ::GetFileInformationByHandle(h, &info) != FALSE;
    };
    // The test writes the path as the program holds paths, in UTF-8.
    std::wstring wide(path.size() + 1, L'\0');
    const int units = ::MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, wide.data(), static_cast<int>(wide.size()));
    wide.resize(units > 0 ? static_cast<std::size_t>(units - 1) : 0);
    const HANDLE own = ::CreateFileW(wide.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                     OPEN_EXISTING, 0, nullptr);
    BY_HANDLE_FILE_INFORMATION file{};
    const bool known = own != INVALID_HANDLE_VALUE && identity(own, file);
    if (own != INVALID_HANDLE_VALUE)
        ::CloseHandle(own);
    if (!known)
        return {"cannot open " + path};
    for (unsigned long long number = 0; words >> number;) {
        const HANDLE h = reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(number));
        DWORD flags = 0;
        BY_HANDLE_FILE_INFORMATION info{};
        if (!::GetHandleInformation(h, &flags) || !identity(h, info))
            continue;
        if (info.dwVolumeSerialNumber == file.dwVolumeSerialNumber && info.nFileIndexHigh == file.nFileIndexHigh &&
            info.nFileIndexLow == file.nFileIndexLow)
            found.push_back(std::to_string(number));
    }
#else
    (void)words;
    std::error_code ec;
    const std::filesystem::path target = std::filesystem::canonical(path, ec);
    if (ec)
        return {"cannot find " + path};
    // Listed first, opened after: the descriptor the listing itself holds is not among them.
    std::vector<std::string> descriptors;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd", ec))
        descriptors.push_back(entry.path().filename().string());
    for (const std::string& fd : descriptors) {
        if (std::stoi(fd) < 3)
            continue;
        char link[PATH_MAX];
        const ssize_t n = ::readlink(("/proc/self/fd/" + fd).c_str(), link, sizeof link - 1);
        if (n > 0 && std::string(link, static_cast<std::size_t>(n)) == target.string())
            found.push_back(fd);
    }
#endif
    return found;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string target = argc > 1 ? argv[1] : "";
    const std::string folder = target.substr(0, target.find_last_of("/\\") + 1);
    std::ifstream control(folder + "child-control.txt");
    std::string line;
    while (std::getline(control, line)) {
        std::istringstream words(line);
        std::string command;
        words >> command;
        if (command == "marker") {
            std::error_code ec;
            const std::string cwd = std::filesystem::current_path(ec).string();
            std::ofstream runs(folder + "child-runs.log", std::ios::app | std::ios::binary);
            runs << getpid() << '|' << cwd << '|' << argc << '|' << argv[0] << '|' << target << '\n';
        } else if (command == "copy") {
            std::string from, to;
            words >> from >> to;
            std::ifstream in(from, std::ios::binary);
            std::ofstream out(to, std::ios::binary | std::ios::trunc);
            out << in.rdbuf();
        } else if (command == "sleep") {
            int seconds = 0;
            words >> seconds;
            std::this_thread::sleep_for(std::chrono::seconds(seconds));
        } else if (command == "killed") {
#ifdef _WIN32
            ::TerminateProcess(::GetCurrentProcess(), 0xC0000409);
#else
            std::raise(SIGKILL);
#endif
        } else if (command == "running") {
            std::string name;
            words >> name;
            std::ofstream state(folder + name, std::ios::binary | std::ios::trunc);
            state << "[Status]\r\nRunning=" << getpid() << "\r\n";
        } else if (command == "handles") {
            std::string path;
            words >> path;
            std::ofstream log(folder + "child-handles.log", std::ios::app | std::ios::binary);
            for (const std::string& handle : inheritedHandlesOf(path, words))
                log << handle << '\n';
        } else if (command == "exit") {
            int code = 0;
            words >> code;
            return code;
        }
    }
    return 0;
}
