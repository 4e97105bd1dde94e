#include "platform/Platform.h"

#include "platform/WindowsApi.h"

#include <aclapi.h>
#include <knownfolders.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstdlib>
#include <io.h>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace platform {

namespace {

// One piece of information about our own access token (TokenUser, TokenOwner); empty when it cannot be had.
std::vector<unsigned char> tokenInformation(TOKEN_INFORMATION_CLASS what)
{
    std::vector<unsigned char> information;
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token))
        return information;
    DWORD size = 0;
    ::GetTokenInformation(token, what, nullptr, 0, &size);
    information.resize(size);
    if (size == 0 || !::GetTokenInformation(token, what, information.data(), size, &size))
        information.clear();
    ::CloseHandle(token);
    return information;
}

// Security attributes that admit the current user alone, and not what the parent folder would hand
// down: an administrator, a backup tool or a roaming profile may have widened the rights of the folders
// above ours.
class OwnerOnly
{
public:
    // With `inherited`, files and folders created inside take the same access list.
    explicit OwnerOnly(bool inherited)
    {
        m_user = tokenInformation(TokenUser);
        if (m_user.empty())
            return;
        PSID sid = reinterpret_cast<TOKEN_USER*>(m_user.data())->User.Sid;

        const DWORD aclSize = sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) + ::GetLengthSid(sid);
        m_acl.resize(aclSize);
        auto* acl = reinterpret_cast<PACL>(m_acl.data());
        const DWORD inherit = inherited ? (OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE) : 0;
        if (!::InitializeAcl(acl, aclSize, ACL_REVISION) ||
            !::AddAccessAllowedAceEx(acl, ACL_REVISION, inherit, FILE_ALL_ACCESS, sid) ||
            !::InitializeSecurityDescriptor(&m_descriptor, SECURITY_DESCRIPTOR_REVISION) ||
            !::SetSecurityDescriptorDacl(&m_descriptor, TRUE, acl, FALSE) ||
            !::SetSecurityDescriptorControl(&m_descriptor, SE_DACL_PROTECTED, SE_DACL_PROTECTED))
            return;
        m_attributes.nLength = sizeof m_attributes;
        m_attributes.lpSecurityDescriptor = &m_descriptor;
        m_attributes.bInheritHandle = FALSE;
        m_ready = true;
    }
    OwnerOnly(const OwnerOnly&) = delete;
    OwnerOnly& operator=(const OwnerOnly&) = delete;

    // Null when the access list could not be built; callers then create nothing rather than something
    // that others may read.
    SECURITY_ATTRIBUTES* attributes() { return m_ready ? &m_attributes : nullptr; }

private:
    std::vector<unsigned char> m_user;
    std::vector<unsigned char> m_acl;
    SECURITY_DESCRIPTOR m_descriptor{};
    SECURITY_ATTRIBUTES m_attributes{};
    bool m_ready = false;
};

bool knownFolder(REFKNOWNFOLDERID id, DWORD flags, std::string& folder)
{
    wchar_t* path = nullptr;
    const bool found = SUCCEEDED(::SHGetKnownFolderPath(id, flags, nullptr, &path)) && path && path[0];
    if (found)
        folder = utf8Text(path);
    ::CoTaskMemFree(path);
    if (!found)
        return false;
    while (folder.size() > 3 && (folder.back() == '\\' || folder.back() == '/'))
        folder.pop_back();
    return true;
}

std::string g_testApplicationData;
std::string g_testDocuments;

} // namespace

std::wstring wideText(std::string_view utf8)
{
    if (utf8.empty())
        return {};
    const int size = static_cast<int>(utf8.size());
    const int wide = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
    std::wstring result(static_cast<std::size_t>(wide), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, result.data(), wide);
    return result;
}

std::string utf8Text(std::wstring_view wide)
{
    if (wide.empty())
        return {};
    const int size = static_cast<int>(wide.size());
    const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<std::size_t>(bytes), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, result.data(), bytes, nullptr, nullptr);
    return result;
}

bool retryWhileHeld(int attempt, unsigned long error)
{
    constexpr int kAttempts = 200;
    constexpr DWORD kPauseMs = 10;
    if (attempt + 1 >= kAttempts ||
        (error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED && error != ERROR_LOCK_VIOLATION))
        return false;
    ::Sleep(kPauseMs);
    return true;
}

void setUserFoldersForTesting(const std::string& applicationData, const std::string& documents)
{
    g_testApplicationData = applicationData;
    g_testDocuments = documents;
}

bool applicationDataFolder(std::string& folder)
{
    // The user's own: no other user may create or enter anything in it, so no one can put a folder of
    // theirs where ours goes, or read the password of the parameter file.
    if (g_testApplicationData.empty())
        return knownFolder(FOLDERID_LocalAppData, KF_FLAG_CREATE, folder);
    const std::wstring path = wideText(g_testApplicationData);
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES && !::CreateDirectoryW(path.c_str(), nullptr))
        return false;
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    folder = g_testApplicationData;
    return true;
}

bool documentsFolder(std::string& folder)
{
    if (!g_testDocuments.empty()) {
        folder = g_testDocuments;
        return true;
    }
    return knownFolder(FOLDERID_Documents, 0, folder);
}

bool executablePath(std::string& path)
{
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0)
            return false;
        // A full buffer means the path was cut.
        if (n < buffer.size()) {
            buffer.resize(n);
            path = utf8Text(buffer);
            return true;
        }
        if (buffer.size() >= 32768)
            return false;
        buffer.resize(buffer.size() * 2);
    }
}

bool programFolder(std::string& folder)
{
    std::string path;
    if (!executablePath(path))
        return false;
    const std::size_t separator = path.find_last_of("\\/");
    if (separator == std::string::npos)
        return false;
    folder = path.substr(0, separator + 1);
    return true;
}

bool pathExists(const std::string& path)
{
    return ::GetFileAttributesW(wideText(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

FolderCheck checkFolder(const std::string& path)
{
    // With a trailing separator a file would not be found at all; "C:\\" keeps its own.
    std::wstring wide = wideText(path);
    while (wide.size() > 3 && (wide.back() == L'\\' || wide.back() == L'/'))
        wide.pop_back();
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = ::GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? FolderCheck::Missing
                                                                              : FolderCheck::Unknown;
    }
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
        return FolderCheck::Link;
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return FolderCheck::NotAFolder;

    // The folder itself, never what a link put in its place since would point to.
    const HANDLE folder =
        ::CreateFileW(wide.c_str(), READ_CONTROL, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (folder == INVALID_HANDLE_VALUE)
        return FolderCheck::Unknown;
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const bool known = ::GetSecurityInfo(folder, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr,
                                         nullptr, &descriptor) == ERROR_SUCCESS &&
                       owner;
    FolderCheck result = FolderCheck::Unknown;
    if (known) {
        // Ours is what we create: the user, or the owner the token gives new objects (the Administrators
        // group for a program run as administrator).
        const std::vector<unsigned char> user = tokenInformation(TokenUser);
        const std::vector<unsigned char> defaultOwner = tokenInformation(TokenOwner);
        const bool isUser =
            !user.empty() && ::EqualSid(owner, reinterpret_cast<const TOKEN_USER*>(user.data())->User.Sid);
        const bool isDefaultOwner = !defaultOwner.empty() &&
                                    ::EqualSid(owner, reinterpret_cast<const TOKEN_OWNER*>(defaultOwner.data())->Owner);
        result = isUser || isDefaultOwner ? FolderCheck::Private : FolderCheck::OtherOwner;
    }
    if (descriptor)
        ::LocalFree(descriptor);
    ::CloseHandle(folder);
    return result;
}

std::vector<std::string> programArguments(int argc, char** argv)
{
    int count = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!wide)
        return std::vector<std::string>(argv, argv + argc);
    std::vector<std::string> arguments;
    for (int i = 0; i < count; ++i)
        arguments.push_back(utf8Text(wide[i]));
    ::LocalFree(wide);
    return arguments;
}

std::string pathFromLocalText(std::string_view text)
{
    return localTextToUtf8(text);
}

std::string utf8ToLocalText(std::string_view text)
{
    const std::wstring wide = wideText(text);
    if (wide.empty())
        return {};
    const int size = static_cast<int>(wide.size());
    const int bytes = ::WideCharToMultiByte(CP_ACP, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<std::size_t>(bytes), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, wide.data(), size, result.data(), bytes, nullptr, nullptr);
    return result;
}

ReadResult readWholeFile(const std::string& path, std::string& content)
{
    content.clear();
    const std::wstring wide = wideText(path);
    HANDLE file = INVALID_HANDLE_VALUE;
    for (int attempt = 0;; ++attempt) {
        file = ::CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE)
            break;
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            return ReadResult::Missing;
        if (!retryWhileHeld(attempt, error))
            return ReadResult::Failed;
    }
    char chunk[8192];
    ReadResult result = ReadResult::Ok;
    for (;;) {
        DWORD n = 0;
        if (!::ReadFile(file, chunk, sizeof chunk, &n, nullptr)) {
            result = ReadResult::Failed;
            break;
        }
        if (n == 0)
            break;
        content.append(chunk, n);
    }
    ::CloseHandle(file);
    return result;
}

std::string profileWriteTarget(const std::string& path)
{
    return path;
}

std::filesystem::path fsPath(const std::string& path)
{
    return std::filesystem::path(wideText(path));
}

bool pathText(const std::filesystem::path& path, std::string& text)
{
    const std::wstring& utf16 = path.native();
    // Only half of a surrogate pair, which a Windows file name may hold, has no UTF-8.
    const int size = static_cast<int>(utf16.size());
    if (size > 0 &&
        ::WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, utf16.data(), size, nullptr, 0, nullptr, nullptr) <= 0)
        return false;
    text = utf8Text(utf16);
    return true;
}

bool helperPathText(const std::string& path, std::string& text)
{
    const std::wstring wide = wideText(path);
    // A letter without a spelling would come out as "?" or as a look-alike, naming another file or none.
    // UTF-8 as the system encoding spells every letter, and refuses the check.
    const auto ansi = [](const std::wstring& utf16, std::string& result) {
        if (utf16.empty()) {
            result.clear();
            return true;
        }
        const bool utf8 = ::GetACP() == CP_UTF8;
        const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
        BOOL substituted = FALSE;
        const int size = static_cast<int>(utf16.size());
        const int bytes = ::WideCharToMultiByte(CP_ACP, flags, utf16.data(), size, nullptr, 0, nullptr,
                                                utf8 ? nullptr : &substituted);
        if (bytes <= 0 || substituted)
            return false;
        result.assign(static_cast<std::size_t>(bytes), '\0');
        ::WideCharToMultiByte(CP_ACP, flags, utf16.data(), size, result.data(), bytes, nullptr, nullptr);
        return true;
    };
    if (ansi(wide, text))
        return true;
    const DWORD size = ::GetShortPathNameW(wide.c_str(), nullptr, 0);
    if (size == 0)
        return false;
    std::wstring shortPath(size, L'\0');
    const DWORD n = ::GetShortPathNameW(wide.c_str(), shortPath.data(), size);
    if (n == 0 || n >= size)
        return false;
    shortPath.resize(n);
    return ansi(shortPath, text);
}

bool createPrivateFolder(const std::string& path)
{
    OwnerOnly access(true);
    return access.attributes() && ::CreateDirectoryW(wideText(path).c_str(), access.attributes());
}

void* openPrivateFile(const std::string& path)
{
    // Removes a link itself, never what it points to.
    const std::wstring wide = wideText(path);
    ::DeleteFileW(wide.c_str());
    OwnerOnly access(false);
    if (!access.attributes())
        return INVALID_HANDLE_VALUE;
    return ::CreateFileW(wide.c_str(), GENERIC_WRITE, 0, access.attributes(), CREATE_NEW,
                         FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}

bool createPrivateFile(const std::string& path)
{
    const HANDLE file = openPrivateFile(path);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    ::CloseHandle(file);
    return true;
}

bool createPrivateTempFolder(const std::string& prefix, std::string& folder)
{
    wchar_t buffer[MAX_PATH + 1] = {};
    const DWORD n = ::GetTempPathW(MAX_PATH + 1, buffer);
    if (n == 0 || n > MAX_PATH)
        return false;
    const std::string temp = utf8Text(std::wstring_view(buffer, n));
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string path = temp + prefix;
        for (int i = 0; i < 8; ++i)
            path += kLetters[random() % (sizeof kLetters - 1)];
        if (createPrivateFolder(path)) {
            folder = path;
            return true;
        }
        if (::GetLastError() != ERROR_ALREADY_EXISTS)
            return false;
    }
    return false;
}

bool copyFile(const std::string& from, const std::string& to)
{
    return ::CopyFileW(wideText(from).c_str(), wideText(to).c_str(), FALSE) != FALSE;
}

bool removeFile(const std::string& path)
{
    return ::DeleteFileW(wideText(path).c_str()) != FALSE;
}

// Large pages on Windows need a privilege that users do not have; its page faults are cheap enough.
void* allocateBulk(std::size_t size)
{
    return std::malloc(size);
}

void releaseBulk(void* block, std::size_t)
{
    std::free(block);
}

// Without large pages, untouched pages of a block take no memory.
void releaseUnusedBulk(void*, std::size_t, std::size_t) {}

unsigned long currentThreadId()
{
    return ::GetCurrentThreadId();
}

unsigned long currentProcessId()
{
    return ::GetCurrentProcessId();
}

bool processExists(unsigned long id)
{
    const HANDLE process = ::OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(id));
    if (!process)
        return ::GetLastError() == ERROR_ACCESS_DENIED;
    const bool running = ::WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    ::CloseHandle(process);
    return running;
}

unsigned long long processStartTime(unsigned long id)
{
    const HANDLE process =
        ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, static_cast<DWORD>(id));
    if (!process)
        return 0;
    FILETIME created{}, exited{}, kernel{}, user{};
    // A process that has ended keeps its times while a handle to it is open somewhere.
    const bool running = ::WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    const bool known = running && ::GetProcessTimes(process, &created, &exited, &kernel, &user);
    ::CloseHandle(process);
    return known ? (static_cast<unsigned long long>(created.dwHighDateTime) << 32) | created.dwLowDateTime : 0;
}

LocalTime localTime()
{
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    LocalTime t;
    t.year = now.wYear;
    t.month = now.wMonth;
    t.dayOfWeek = now.wDayOfWeek;
    t.day = now.wDay;
    t.hour = now.wHour;
    t.minute = now.wMinute;
    t.second = now.wSecond;
    t.milliseconds = now.wMilliseconds;
    return t;
}

std::string systemErrorText(int code)
{
    wchar_t* text = nullptr;
    const DWORD n =
        ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER,
                         nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string result;
    if (n > 0 && text)
        result = utf8Text(std::wstring_view(text, n));
    if (text)
        ::LocalFree(text);
    // The system's texts end in a line break, which would split a log line.
    while (!result.empty() && (result.back() == '\r' || result.back() == '\n' || result.back() == ' '))
        result.pop_back();
    if (result.empty())
        result = "Unknown error " + std::to_string(code);
    return result;
}

std::string localTextToUtf8(std::string_view text)
{
    if (text.empty())
        return std::string();
    const int size = static_cast<int>(text.size());
    const int wide = ::MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
    std::wstring utf16(static_cast<std::size_t>(wide), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text.data(), size, utf16.data(), wide);
    const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, utf16.data(), wide, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(bytes), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, utf16.data(), wide, utf8.data(), bytes, nullptr, nullptr);
    return utf8;
}

std::FILE* openFile(const std::string& path, const char* mode)
{
    // The C runtime's "N" mode flag would do it in the same call, but not every runtime MinGW links knows
    // it; the handle is made non-inheritable right after instead. Helpers are started with inheritance
    // off as well, so the moment between the two calls leaks nothing either.
    std::FILE* file = ::_wfopen(wideText(path).c_str(), wideText(mode).c_str());
    if (!file)
        return nullptr;
    const auto handle = reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(file)));
    if (handle != INVALID_HANDLE_VALUE)
        ::SetHandleInformation(handle, HANDLE_FLAG_INHERIT, 0);
    return file;
}

void restrictLibrarySearch()
{
    ::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32 | LOAD_LIBRARY_SEARCH_APPLICATION_DIR);
}

} // namespace platform
