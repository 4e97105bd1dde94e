// Stands in for a helper program in the tests. argv[1] names a file in a work folder; the child does
// what "child-control.txt" in that folder says, one command per line:
//   marker           append "pid|cwd|argc|argv[0]|argv[1]" as a line to child-runs.log
//   copy SRC DST     copy a file (paths without blanks)
//   sleep SECONDS
//   exit CODE
// Without a control file it ends at once.

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include <limits.h>
#include <unistd.h>

int main(int argc, char** argv)
{
    const std::string target = argc > 1 ? argv[1] : "";
    const std::string folder = target.substr(0, target.rfind('/') + 1);
    std::ifstream control(folder + "child-control.txt");
    std::string line;
    while (std::getline(control, line)) {
        std::istringstream words(line);
        std::string command;
        words >> command;
        if (command == "marker") {
            char cwd[PATH_MAX] = {};
            if (!::getcwd(cwd, sizeof(cwd)))
                cwd[0] = '\0';
            std::ofstream runs(folder + "child-runs.log", std::ios::app);
            runs << ::getpid() << '|' << cwd << '|' << argc << '|' << argv[0] << '|' << target << '\n';
        } else if (command == "copy") {
            std::string from, to;
            words >> from >> to;
            std::ifstream in(from, std::ios::binary);
            std::ofstream out(to, std::ios::binary | std::ios::trunc);
            out << in.rdbuf();
        } else if (command == "sleep") {
            int seconds = 0;
            words >> seconds;
            ::sleep(static_cast<unsigned>(seconds));
        } else if (command == "exit") {
            int code = 0;
            words >> code;
            return code;
        }
    }
    return 0;
}
