#include "platform/Platform.h"

#include <QStandardPaths>
#include <QString>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace platform {

namespace {

bool ensureFolder(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0)
        return S_ISDIR(st.st_mode);
    std::error_code ec;
    std::filesystem::create_directories(path, ec);
    return !ec;
}

std::string g_testApplicationData;
std::string g_testDocuments;

} // namespace

void setUserFoldersForTesting(const std::string& applicationData, const std::string& documents)
{
    g_testApplicationData = applicationData;
    g_testDocuments = documents;
}

bool applicationDataFolder(std::string& folder)
{
    const char* xdg = std::getenv("XDG_DATA_HOME");
    std::string base;
    if (!g_testApplicationData.empty()) {
        base = g_testApplicationData;
    } else if (xdg && *xdg == '/') {
        base = xdg;
    } else {
        const char* home = std::getenv("HOME");
        if (!home || *home != '/')
            return false;
        base = std::string(home) + "/.local/share";
    }
    while (base.size() > 1 && base.back() == '/')
        base.pop_back();
    if (!ensureFolder(base))
        return false;
    folder = base;
    return true;
}

bool documentsFolder(std::string& folder)
{
    if (!g_testDocuments.empty()) {
        folder = g_testDocuments;
        return true;
    }
    const QString location = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (location.isEmpty())
        return false;
    folder = location.toStdString();
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return true;
}

bool executablePath(std::string& path)
{
    std::error_code ec;
    const auto target = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec || target.empty())
        return false;
    path = target.string();
    return true;
}

bool programFolder(std::string& folder)
{
    std::string path;
    if (!executablePath(path))
        return false;
    folder = path.substr(0, path.rfind('/') + 1);
    return true;
}

bool pathExists(const std::string& path)
{
    return ::access(path.c_str(), F_OK) == 0;
}

FolderCheck checkFolder(const std::string& path)
{
    // With a trailing separator a file would not be found at all.
    std::string folder = path;
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    struct stat st
    {
    };
    if (::stat(folder.c_str(), &st) != 0)
        return errno == ENOENT ? FolderCheck::Missing : FolderCheck::Unknown;
    if (!S_ISDIR(st.st_mode))
        return FolderCheck::NotAFolder;
    return st.st_uid == ::geteuid() ? FolderCheck::Private : FolderCheck::OtherOwner;
}

bool helperPathText(const std::string& path, std::string& text)
{
    text = path;
    return true;
}

std::vector<std::string> programArguments(int argc, char** argv)
{
    return std::vector<std::string>(argv, argv + argc);
}

std::string pathFromLocalText(std::string_view text)
{
    return std::string(text);
}

std::string utf8ToLocalText(std::string_view text)
{
    return std::string(text);
}

ReadResult readWholeFile(const std::string& path, std::string& content)
{
    content.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT ? ReadResult::Missing : ReadResult::Failed;
    char chunk[8192];
    for (;;) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n == 0)
            break;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            ::close(fd);
            return ReadResult::Failed;
        }
        content.append(chunk, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return ReadResult::Ok;
}

std::string profileWriteTarget(const std::string& path)
{
    struct stat st
    {
    };
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        if (char* real = ::realpath(path.c_str(), nullptr)) {
            std::string resolved = real;
            std::free(real);
            return resolved;
        }
    }
    return path;
}

std::filesystem::path fsPath(const std::string& path)
{
    return std::filesystem::path(path);
}

bool pathText(const std::filesystem::path& path, std::string& text)
{
    text = path.string();
    return true;
}

bool createPrivateFolder(const std::string& path)
{
    return ::mkdir(path.c_str(), 0700) == 0;
}

bool createPrivateFile(const std::string& path)
{
    ::unlink(path.c_str());
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

bool createPrivateTempFolder(const std::string& prefix, std::string& folder)
{
    std::error_code ec;
    const std::filesystem::path temp = std::filesystem::temp_directory_path(ec);
    if (ec)
        return false;
    std::string pattern = (temp / (prefix + "XXXXXX")).string();
    if (!::mkdtemp(pattern.data())) // mode 0700
        return false;
    folder = pattern;
    return true;
}

bool copyFile(const std::string& from, const std::string& to)
{
    std::error_code ec;
    std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing, ec);
    return !ec;
}

bool removeFile(const std::string& path)
{
    return ::unlink(path.c_str()) == 0;
}

void* allocateBulk(std::size_t size)
{
#ifdef MADV_HUGEPAGE
    if (size > 0 && size % kBulkPageSize == 0) {
        // Large pages need blocks aligned to their size: one page more than asked for, then the ends go.
        void* mapped =
            ::mmap(nullptr, size + kBulkPageSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (mapped == MAP_FAILED)
            return nullptr;
        const auto start = reinterpret_cast<std::uintptr_t>(mapped);
        const std::uintptr_t end = start + size + kBulkPageSize;
        const std::uintptr_t aligned = (start + kBulkPageSize - 1) & ~(std::uintptr_t{kBulkPageSize} - 1);
        if (aligned > start)
            ::munmap(mapped, aligned - start);
        if (end > aligned + size)
            ::munmap(reinterpret_cast<void*>(aligned + size), end - (aligned + size));
        // Only a hint: where the system has no large page at hand, the block works with small ones.
        ::madvise(reinterpret_cast<void*>(aligned), size, MADV_HUGEPAGE);
        return reinterpret_cast<void*>(aligned);
    }
#endif
    return std::malloc(size);
}

void releaseBulk(void* block, std::size_t size)
{
#ifdef MADV_HUGEPAGE
    if (block && size > 0 && size % kBulkPageSize == 0) {
        ::munmap(block, size);
        return;
    }
#endif
    std::free(block);
}

void releaseUnusedBulk(void* block, std::size_t size, std::size_t used)
{
#ifdef MADV_HUGEPAGE
    // Blocks from malloc keep untouched pages out of memory anyway.
    if (!block || size == 0 || size % kBulkPageSize != 0)
        return;
    const auto page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    const std::size_t keep = (used + page - 1) / page * page;
    if (keep < size)
        ::madvise(static_cast<char*>(block) + keep, size - keep, MADV_DONTNEED);
#else
    (void)block;
    (void)size;
    (void)used;
#endif
}

unsigned long currentThreadId()
{
    return static_cast<unsigned long>(::syscall(SYS_gettid));
}

unsigned long currentProcessId()
{
    return static_cast<unsigned long>(::getpid());
}

bool processExists(unsigned long id)
{
    if (id == 0 || id > static_cast<unsigned long>(INT32_MAX))
        return false;
    // EPERM: it exists, as another user's.
    return ::kill(static_cast<pid_t>(id), 0) == 0 || errno == EPERM;
}

unsigned long long processStartTime(unsigned long id)
{
    if (id == 0 || id > static_cast<unsigned long>(INT32_MAX))
        return 0;
    const int fd = ::open(("/proc/" + std::to_string(id) + "/stat").c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return 0;
    char text[1024];
    const ssize_t n = ::read(fd, text, sizeof(text) - 1);
    ::close(fd);
    if (n <= 0)
        return 0;
    text[n] = '\0';
    // The name in parentheses may hold blanks and parentheses of its own: the fields count from the last
    // ')'. Field 3 (the state) follows it; the start time is field 22.
    const char* p = std::strrchr(text, ')');
    if (!p || !p[1] || p[2] == 'Z' || p[2] == 'X')
        return 0;
    ++p;
    for (int field = 3; field < 22 && p; ++field)
        p = std::strchr(p + 1, ' ');
    return p ? std::strtoull(p + 1, nullptr, 10) : 0;
}

LocalTime localTime()
{
    timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    std::tm parts {};
    ::localtime_r(&now.tv_sec, &parts);
    LocalTime t;
    t.year = parts.tm_year + 1900;
    t.month = parts.tm_mon + 1;
    t.dayOfWeek = parts.tm_wday;
    t.day = parts.tm_mday;
    t.hour = parts.tm_hour;
    t.minute = parts.tm_min;
    t.second = parts.tm_sec;
    t.milliseconds = static_cast<int>(now.tv_nsec / 1000000);
    return t;
}

std::string systemErrorText(int code)
{
    return std::strerror(code);
}

std::string localTextToUtf8(std::string_view text)
{
    return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size())).toUtf8().toStdString();
}

std::FILE* openFile(const std::string& path, const char* mode)
{
    // "e": O_CLOEXEC, set in the same call, so that no helper started meanwhile by another thread gets it.
    return std::fopen(path.c_str(), (std::string(mode) + 'e').c_str());
}

void restrictLibrarySearch() {}

} // namespace platform
