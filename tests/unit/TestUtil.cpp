#include "TestUtil.h"

#include "platform/Platform.h"

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
#else
#include <cerrno>
#include <csignal>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace testutil {

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
    std::filesystem::remove_all(m_path, ec);
}

std::string TempDir::file(const std::string& name) const
{
    return m_path + "/" + name;
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void writeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::vector<unsigned char> readBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
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

void killProcess(int pid)
{
    if (const HANDLE process = ::OpenProcess(PROCESS_TERMINATE, FALSE, static_cast<DWORD>(pid))) {
        ::TerminateProcess(process, 1);
        ::CloseHandle(process);
    }
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

void killProcess(int pid)
{
    ::kill(pid, SIGKILL);
}

#endif

} // namespace testutil
