#include "TestUtil.h"

#include "ACT/ACTRecords.h"
#include "platform/Platform.h"
#include "platform/Process.h"

#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <sstream>
#include <stdexcept>

#ifdef _WIN32
#include "platform/WindowsApi.h"

#include <aclapi.h>
#include <cstdlib>
#include <tlhelp32.h>
#else
#include <cerrno>
#include <cstring>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;
#endif

namespace testutil {

const char* recordIdOf(RecordKind kind, const void* record)
{
    switch (kind) {
    case RecordKind::Contacts:
        return static_cast<const ContactRecord*>(record)->RecordID;
    case RecordKind::Calendar:
        return static_cast<const CalendarRecord*>(record)->RecordID;
    case RecordKind::Tasks:
        return static_cast<const TaskRecord*>(record)->RecordID;
    default:
        return static_cast<const NoteRecord*>(record)->RecordID;
    }
}

const char* keep(std::string_view text)
{
    // A deque never moves what it holds; the lock serves the tests that build records on two threads.
    static std::mutex lock;
    static std::deque<std::string> texts;
    const std::lock_guard<std::mutex> guard(lock);
    return texts.emplace_back(text).c_str();
}

TempDir::TempDir()
{
    if (!platform::createPrivateTempFolder("velloran-test-", m_path))
        throw std::runtime_error("cannot create a temporary folder");
}

TempDir::~TempDir()
{
    std::error_code ec;
    std::filesystem::remove_all(platform::fsPath(m_path), ec);
}

std::string TempDir::file(const std::string& name) const
{
    return m_path + "/" + name;
}

std::string nativePath(std::string path)
{
    for (char& c : path)
        if (platform::isPathSeparator(c))
            c = platform::kPathSeparator;
    return path;
}

std::string useHome(const std::string& home)
{
    // Named as the system names them, so that paths the program builds on them read as one.
    const std::string data = nativePath(home + "/data");
    const std::string documents = nativePath(home + "/Documents");
    std::filesystem::create_directories(data);
    std::filesystem::create_directories(documents);
#ifndef _WIN32
    setEnvironment("HOME", home);
    setEnvironment("XDG_DATA_HOME", data);
    setEnvironment("XDG_CONFIG_HOME", home + "/config");
#endif
    platform::setUserFoldersForTesting(data, documents);
    const char separator = platform::kPathSeparator;
    return data + separator + "corvane" + separator + "Velloran" + separator;
}

// Paths are UTF-8, as the program holds them: the streams take them through std::filesystem, which hands
// them to the system's wide calls on Windows.
std::string readFile(const std::string& path)
{
    std::ifstream in(platform::fsPath(path), std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void writeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(platform::fsPath(path), std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::vector<unsigned char> readBytes(const std::string& path)
{
    std::ifstream in(platform::fsPath(path), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

CsvRows readCsv(const std::string& path, std::string& problem)
{
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    std::string text = readFile(path);
    const bool spreadsheet = text.rfind(kByteOrderMark, 0) == 0;
    if (spreadsheet)
        text.erase(0, kByteOrderMark.size());
    problem.clear();
    CsvRows rows;
    std::vector<std::string> row;
    std::string field;
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"')
                field += text[++i];
            else if (c == '"')
                quoted = false;
            else
                field += c;
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            row.push_back(field);
            field.clear();
        } else if (c == '\r' || c == '\n') {
            const bool crlf = c == '\r' && i + 1 < text.size() && text[i + 1] == '\n';
            if (spreadsheet ? !crlf : c != '\n') {
                if (problem.empty())
                    problem =
                        "row " + std::to_string(rows.size() + 1) + " does not end in " + (spreadsheet ? "CR LF" : "LF");
                field += c;
                continue;
            }
            if (crlf)
                ++i;
            row.push_back(field);
            field.clear();
            rows.push_back(row);
            row.clear();
        } else {
            field += c;
        }
    }
    if (problem.empty() && (quoted || !row.empty() || !field.empty()))
        problem = quoted ? "a quoted value is never closed" : "the last row has no line end";
    return rows;
}

std::string readProfileFile(const std::string& path)
{
    std::string text = readFile(path);
#ifdef _WIN32
    for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at))
        text.erase(at, 1);
#endif
    return text;
}

#ifdef _WIN32

namespace {

// Our own account's identifier, or an empty vector.
std::vector<unsigned char> currentUser()
{
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token))
        return {};
    DWORD size = 0;
    ::GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<unsigned char> user(size);
    if (size == 0 || !::GetTokenInformation(token, TokenUser, user.data(), size, &size))
        user.clear();
    ::CloseHandle(token);
    return user;
}

} // namespace

bool ownerOnly(const std::string& path)
{
    const std::vector<unsigned char> user = currentUser();
    if (user.empty())
        return false;
    PSID self = reinterpret_cast<const TOKEN_USER*>(user.data())->User.Sid;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetNamedSecurityInfoA(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl,
                                nullptr, &descriptor) != ERROR_SUCCESS)
        return false;
    SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
    PSID system = nullptr;
    ::AllocateAndInitializeSid(&ntAuthority, 1, SECURITY_LOCAL_SYSTEM_RID, 0, 0, 0, 0, 0, 0, 0, &system);
    // A missing access list admits everyone. The operating system itself may keep its own access.
    bool onlySelf = dacl != nullptr;
    bool selfAdmitted = false;
    for (DWORD i = 0; onlySelf && i < dacl->AceCount; ++i) {
        void* ace = nullptr;
        if (!::GetAce(dacl, i, &ace) || static_cast<ACE_HEADER*>(ace)->AceType != ACCESS_ALLOWED_ACE_TYPE)
            continue;
        PSID sid = &static_cast<ACCESS_ALLOWED_ACE*>(ace)->SidStart;
        if (::EqualSid(sid, self))
            selfAdmitted = true;
        else if (!system || !::EqualSid(sid, system))
            onlySelf = false;
    }
    if (system)
        ::FreeSid(system);
    ::LocalFree(descriptor);
    return onlySelf && selfAdmitted;
}

void makeReadableByAll(const std::string& path)
{
    const std::vector<unsigned char> user = currentUser();
    if (user.empty())
        return;
    SID_IDENTIFIER_AUTHORITY worldAuthority = SECURITY_WORLD_SID_AUTHORITY;
    PSID everyone = nullptr;
    if (!::AllocateAndInitializeSid(&worldAuthority, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone))
        return;
    EXPLICIT_ACCESS_A access[2] = {};
    access[0].grfAccessPermissions = GENERIC_ALL;
    access[0].grfAccessMode = SET_ACCESS;
    access[0].Trustee.TrusteeForm = TRUSTEE_IS_SID;
    access[0].Trustee.ptstrName = static_cast<char*>(reinterpret_cast<const TOKEN_USER*>(user.data())->User.Sid);
    access[1].grfAccessPermissions = GENERIC_READ;
    access[1].grfAccessMode = SET_ACCESS;
    access[1].Trustee.TrusteeForm = TRUSTEE_IS_SID;
    access[1].Trustee.ptstrName = static_cast<char*>(everyone);
    PACL acl = nullptr;
    if (::SetEntriesInAclA(2, access, nullptr, &acl) == ERROR_SUCCESS) {
        ::SetNamedSecurityInfoA(const_cast<char*>(path.c_str()), SE_FILE_OBJECT,
                                DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr, nullptr, acl,
                                nullptr);
        ::LocalFree(acl);
    }
    ::FreeSid(everyone);
}

bool changeDirectory(const std::string& path)
{
    return ::SetCurrentDirectoryA(path.c_str()) != FALSE;
}

bool processGone(int pid)
{
    const HANDLE process = ::OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(pid));
    if (!process)
        return true;
    const bool ended = ::WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
    ::CloseHandle(process);
    return ended;
}

bool killProcess(int pid)
{
    const HANDLE process = ::OpenProcess(PROCESS_TERMINATE, FALSE, static_cast<DWORD>(pid));
    if (!process)
        return false;
    const bool killed = ::TerminateProcess(process, 1) != FALSE;
    ::CloseHandle(process);
    return killed;
}

int findChildProcess(const std::string& name, bool* alive)
{
    const HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return -1;
    const DWORD self = ::GetCurrentProcessId();
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    int found = -1;
    for (BOOL more = ::Process32First(snapshot, &entry); more; more = ::Process32Next(snapshot, &entry)) {
        if (entry.th32ParentProcessID != self || ::_strnicmp(entry.szExeFile, name.c_str(), name.size()) != 0)
            continue;
        found = static_cast<int>(entry.th32ProcessID);
        *alive = !processGone(found);
        break;
    }
    ::CloseHandle(snapshot);
    return found;
}

void setEnvironment(const std::string& name, const std::string& value)
{
    // The C runtime's copy and the system's, which children inherit, both change.
    ::_putenv_s(name.c_str(), value.c_str());
}

void unsetEnvironment(const std::string& name)
{
    ::_putenv_s(name.c_str(), "");
}

namespace {

// Our environment block with `changes` made, names matched without regard to case.
std::string environmentBlock(const Environment& changes)
{
    std::vector<std::string> entries;
    if (char* block = ::GetEnvironmentStringsA()) {
        for (const char* entry = block; *entry; entry += std::char_traits<char>::length(entry) + 1)
            entries.emplace_back(entry);
        ::FreeEnvironmentStringsA(block);
    }
    for (const auto& [name, value] : changes) {
        std::erase_if(entries, [&](const std::string& entry) {
            return entry.size() > name.size() && entry[name.size()] == '=' &&
                   ::_strnicmp(entry.c_str(), name.c_str(), name.size()) == 0;
        });
        entries.push_back(name + "=" + value);
    }
    std::string result;
    for (const std::string& entry : entries)
        result.append(entry).push_back('\0');
    result.push_back('\0');
    return result;
}

// A handle the child inherits: a temporary file that goes when closed, or the null device.
HANDLE inheritableOutput(bool capture)
{
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    if (!capture)
        return ::CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                             OPEN_EXISTING, 0, nullptr);
    char folder[MAX_PATH + 1] = {};
    char name[MAX_PATH + 1] = {};
    if (!::GetTempPathA(sizeof folder, folder) || !::GetTempFileNameA(folder, "vlo", 0, name))
        return INVALID_HANDLE_VALUE;
    return ::CreateFileA(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
}

std::string readBack(HANDLE file)
{
    std::string text;
    ::SetFilePointer(file, 0, nullptr, FILE_BEGIN);
    char buffer[65536];
    DWORD n = 0;
    while (::ReadFile(file, buffer, sizeof buffer, &n, nullptr) && n > 0)
        text.append(buffer, n);
    for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at))
        text.erase(at, 1);
    return text;
}

} // namespace

int runProgram(const std::string& path, const std::vector<std::string>& args, const RunOptions& options)
{
    std::vector<std::string> all{path};
    all.insert(all.end(), args.begin(), args.end());
    std::string commandLine = platform::commandLineOf(all);
    std::string environment = environmentBlock(options.environment);
    const HANDLE input = inheritableOutput(false);
    const HANDLE out = inheritableOutput(options.out != nullptr);
    const HANDLE err = inheritableOutput(options.err != nullptr);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input;
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION started{};
    int result = -1;
    if (input != INVALID_HANDLE_VALUE && out != INVALID_HANDLE_VALUE && err != INVALID_HANDLE_VALUE &&
        ::CreateProcessA(path.c_str(), commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                         environment.data(),
                         options.workingFolder.empty() ? nullptr : options.workingFolder.c_str(), &startup,
                         &started)) {
        ::WaitForSingleObject(started.hProcess, INFINITE);
        DWORD code = 0;
        // An exit code of the system's error statuses is a crash.
        if (::GetExitCodeProcess(started.hProcess, &code) && code < 0xC0000000u)
            result = static_cast<int>(code);
        else
            std::fprintf(stderr, "runProgram: %s ended with status 0x%08lX\n", path.c_str(),
                         static_cast<unsigned long>(code));
        ::CloseHandle(started.hThread);
        ::CloseHandle(started.hProcess);
        if (options.out)
            *options.out = readBack(out);
        if (options.err)
            *options.err = readBack(err);
    } else {
        // A test that fails on -1 then says why the program did not run.
        std::fprintf(stderr, "runProgram: %s cannot be started: system error %lu\n", path.c_str(),
                     static_cast<unsigned long>(::GetLastError()));
    }
    for (const HANDLE handle : {input, out, err})
        if (handle != INVALID_HANDLE_VALUE)
            ::CloseHandle(handle);
    return result;
}

Environment privateDataHome(const std::string&, std::string& dataFolder)
{
    dataFolder.clear();
    if (platform::applicationDataFolder(dataFolder))
        dataFolder += "\\corvane\\Velloran\\";
    return {};
}

#else

bool ownerOnly(const std::string& path)
{
    struct stat st
    {
    };
    if (::stat(path.c_str(), &st) != 0)
        return false;
    return (st.st_mode & 07777) == (S_ISDIR(st.st_mode) ? 0700u : 0600u);
}

void makeReadableByAll(const std::string& path)
{
    ::chmod(path.c_str(), 0644);
}

bool changeDirectory(const std::string& path)
{
    return ::chdir(path.c_str()) == 0;
}

bool processGone(int pid)
{
    return ::kill(pid, 0) == -1 && errno == ESRCH;
}

bool killProcess(int pid)
{
    return ::kill(pid, SIGKILL) == 0;
}

int findChildProcess(const std::string& name, bool* alive)
{
    const std::string self = std::to_string(::getpid());
    // The kernel keeps the first 15 characters of a program's name.
    const std::string comm = "(" + name.substr(0, 15);
    DIR* proc = ::opendir("/proc");
    if (!proc)
        return -1;
    int found = -1;
    while (dirent* entry = ::readdir(proc)) {
        const std::string id = entry->d_name;
        if (id.find_first_not_of("0123456789") != std::string::npos)
            continue;
        std::ifstream statFile("/proc/" + id + "/stat");
        std::string stat;
        std::getline(statFile, stat);
        // pid (comm) state ppid ...; comm may hold blanks and parentheses.
        const std::size_t open = stat.find('(');
        const std::size_t close = stat.rfind(')');
        if (open == std::string::npos || close == std::string::npos || stat.compare(open, comm.size(), comm) != 0)
            continue;
        char state = 0;
        int parent = 0;
        if (std::sscanf(stat.c_str() + close + 1, " %c %d", &state, &parent) != 2 || std::to_string(parent) != self)
            continue;
        found = std::stoi(id);
        *alive = state != 'Z';
        break;
    }
    ::closedir(proc);
    return found;
}

void setEnvironment(const std::string& name, const std::string& value)
{
    ::setenv(name.c_str(), value.c_str(), 1);
}

void unsetEnvironment(const std::string& name)
{
    ::unsetenv(name.c_str());
}

namespace {

std::string readBack(std::FILE* file)
{
    std::string text;
    std::rewind(file);
    char buffer[65536];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        text.append(buffer, n);
    return text;
}

} // namespace

int runProgram(const std::string& path, const std::vector<std::string>& args, const RunOptions& options)
{
    std::vector<std::string> environment;
    for (char** entry = environ; *entry; ++entry) {
        const std::string text = *entry;
        bool replaced = false;
        for (const auto& change : options.environment)
            replaced = replaced || text.rfind(change.first + "=", 0) == 0;
        if (!replaced)
            environment.push_back(text);
    }
    for (const auto& [name, value] : options.environment)
        environment.push_back(name + "=" + value);
    std::vector<char*> envp;
    for (std::string& entry : environment)
        envp.push_back(entry.data());
    envp.push_back(nullptr);
    std::vector<std::string> argvText{path};
    argvText.insert(argvText.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : argvText)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    // Temporary files rather than pipes: nothing to read while the program runs.
    std::FILE* out = options.out ? std::tmpfile() : nullptr;
    std::FILE* err = options.err ? std::tmpfile() : nullptr;
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    if (out)
        ::posix_spawn_file_actions_adddup2(&actions, ::fileno(out), 1);
    else
        ::posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    if (err)
        ::posix_spawn_file_actions_adddup2(&actions, ::fileno(err), 2);
    else
        ::posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    if (!options.workingFolder.empty())
        ::posix_spawn_file_actions_addchdir_np(&actions, options.workingFolder.c_str());
    pid_t pid = -1;
    int result = -1;
    const int spawned = (!options.out || out) && (!options.err || err)
                            ? ::posix_spawn(&pid, path.c_str(), &actions, nullptr, argv.data(), envp.data())
                            : errno;
    if (spawned == 0) {
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        if (WIFEXITED(status))
            result = WEXITSTATUS(status);
        else
            std::fprintf(stderr, "runProgram: %s ended by signal %d\n", path.c_str(),
                         WIFSIGNALED(status) ? WTERMSIG(status) : 0);
        if (out)
            *options.out = readBack(out);
        if (err)
            *options.err = readBack(err);
    } else {
        // A test that fails on -1 then says why the program did not run.
        std::fprintf(stderr, "runProgram: %s cannot be started: %s\n", path.c_str(), std::strerror(spawned));
    }
    ::posix_spawn_file_actions_destroy(&actions);
    for (std::FILE* file : {out, err})
        if (file)
            std::fclose(file);
    return result;
}

Environment privateDataHome(const std::string& home, std::string& dataFolder)
{
    dataFolder = home + "/data/corvane/Velloran/";
    return {{"HOME", home}, {"XDG_DATA_HOME", home + "/data"}};
}

#endif

} // namespace testutil
