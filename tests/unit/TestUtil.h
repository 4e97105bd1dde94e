#pragma once

#include "core/RecordKinds.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace testutil {

// A terminated copy of the text that lives as long as the test program: the texts of records built by
// hand point at such copies.
const char* keep(std::string_view text);

// The Record ID of a loaded record of the kind.
const char* recordIdOf(RecordKind kind, const void* record);

// A fresh folder for one test, removed with everything in it when the object goes.
class TempDir
{
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return m_path; }
    // path() joined with name by '/'.
    std::string file(const std::string& name) const;

private:
    std::string m_path;
};

// Gives this process `home` as its user's folders: the data folder's parent `home`/data, the documents
// folder `home`/Documents and, on Linux, the configuration home (through the environment there, so that
// programs we start see the same). Returns the data folder as the program names it (GetDataFolder).
std::string useHome(const std::string& home);
// `path` with every separator the system's own ('\\' on Windows), as the program joins paths.
std::string nativePath(std::string path);

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& bytes);
std::vector<unsigned char> readBytes(const std::string& path);

// The rows of a CSV file as RFC 4180 reads them, line breaks inside quoted values kept as they are. A
// file that starts with a UTF-8 byte-order mark is one written for spreadsheets, whose rows end in CR LF;
// the rows of any other end in LF. `problem` says what does not fit that (a row ended otherwise, a last
// row without its end, an open quote), and is empty when everything does.
using CsvRows = std::vector<std::vector<std::string>>;
CsvRows readCsv(const std::string& path, std::string& problem);
// A profile (INI) file as written by the profile calls, with LF line ends: Windows's own calls end every
// line they write in CR LF, while ours keep the file's line ends (which tests of their own check).
std::string readProfileFile(const std::string& path);

// Only the current user may use the file or folder: mode 0600 for a file and 0700 for a folder, or on
// Windows an access list that admits nobody else.
bool ownerOnly(const std::string& path);
// Lets every user read the file (mode 0644, or an access list that admits everyone to read).
void makeReadableByAll(const std::string& path);

bool changeDirectory(const std::string& path);
// True when no process of that id runs any more (a child that has ended but is not reaped still runs).
bool processGone(int pid);
// Kills a process the way a user does: SIGKILL, or on Windows TerminateProcess with exit code 1, as
// taskkill /F and the Task Manager end a process. True when the kill was delivered.
bool killProcess(int pid);

// A child of ours whose program's file name starts with `name` (only its first 15 characters count on
// Linux): its process id, or -1. `alive` tells whether it still runs, rather than having ended unreaped.
int findChildProcess(const std::string& name, bool* alive);

// Variables (name, value) of our own environment, or set for one started program only.
using Environment = std::vector<std::pair<std::string, std::string>>;
void setEnvironment(const std::string& name, const std::string& value);
void unsetEnvironment(const std::string& name);

struct RunOptions
{
    Environment environment; // set for the program on top of ours
    std::string workingFolder; // empty: ours
    // What the program writes to its standard output and error, with the line ends of text (CR LF on
    // Windows) read as LF; discarded when null.
    std::string* out = nullptr;
    std::string* err = nullptr;
};
// Runs a program with the arguments `args` (its own name not among them) to its end, with no shell in
// between. Its exit code, or -1 when it could not be started or did not exit of itself (a signal, a crash).
int runProgram(const std::string& path, const std::vector<std::string>& args, const RunOptions& options = {});

// The environment that gives the programs we start a data folder of their own inside `home`, and the
// data folder (ending in the separator) they then use. On Windows the data folder is in the user's local
// application data folder, which no environment variable moves: the environment is empty, and tests that
// use it must not run at the same time as others that do.
Environment privateDataHome(const std::string& home, std::string& dataFolder);

} // namespace testutil
