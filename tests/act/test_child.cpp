// Stands in for a helper program in the tests. argv[1] names a file in a work folder; the child does
// what "child-control.txt" in that folder says, one command per line:
//   marker           append "pid|cwd|argc|argv[0]|argv[1]" as a line to child-runs.log
//   copy SRC DST     copy a file (paths without blanks)
//   sleep SECONDS
//   exit CODE
//   running NAME     write the file NAME beside argv[1] as a helper's run-state file marking this process
//                    running ("[Status]" and "Running=<pid>")
//   killed           end as a killed process does (SIGKILL; on Windows the status of a crash)
// Without a control file it ends at once.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#ifdef _WIN32
#include <process.h>
#include <windows.h>
#define getpid _getpid
#else
#include <csignal>
#include <unistd.h>
#endif

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
        } else if (command == "exit") {
            int code = 0;
            words >> code;
            return code;
        }
    }
    return 0;
}
