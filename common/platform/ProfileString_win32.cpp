#include "platform/Platform.h"
#include "platform/ProfileStringRules.h"
#include "platform/SaveFile.h"

#include "platform/WindowsApi.h"

#include <algorithm>
#include <atomic>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

namespace {

// The profile calls may keep a file in a cache of their own, which Wine, for one, checks only against the
// file's time of last writing: a file replaced within the same tick of that clock (by a helper, or by our
// own atomic write below) would be read stale. Flushing (all three names null) drops the file from it.
void forgetCached(const char* file)
{
    ::WritePrivateProfileStringA(nullptr, nullptr, nullptr, file);
}

enum class ReadResult
{
    Ok,
    Missing,
    Failed,
};

ReadResult readWholeFile(const std::string& path, std::string& content)
{
    content.clear();
    // Another process (a helper, or the program asking it to stop) may be replacing the file this moment:
    // the reader lets it, and tries again for a moment while the file is held, as the replacing writer does.
    HANDLE file = INVALID_HANDLE_VALUE;
    for (int attempt = 0;; ++attempt) {
        file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE)
            break;
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND)
            return ReadResult::Missing;
        if (attempt == 20 || (error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED))
            return ReadResult::Failed;
        ::Sleep(10);
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

bool writeWholeFile(const std::string& path, const std::string& content)
{
    const HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    std::size_t done = 0;
    bool ok = true;
    while (ok && done < content.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(content.size() - done, 1 << 20));
        DWORD n = 0;
        ok = ::WriteFile(file, content.data() + done, chunk, &n, nullptr) && n > 0;
        done += n;
    }
    return ::CloseHandle(file) && ok;
}

} // namespace

std::size_t readProfileString(const char* section, const char* key, const char* defaultValue, char* buffer,
                              std::size_t size, const char* file)
{
    if (!buffer || size == 0)
        return 0;
    // Null names ask the system call for lists of names instead of a value.
    if (!section || !key || !file || !*file)
        return profile::copyDefault(defaultValue, buffer, size);
    forgetCached(file);
    const auto capacity = static_cast<DWORD>(std::min<std::size_t>(size, 0x7fffffff));
    return ::GetPrivateProfileStringA(section, key, defaultValue ? defaultValue : "", buffer, capacity, file);
}

bool writeProfileString(const char* section, const char* key, const char* value, const char* file)
{
    const ProfileEntry entry{key, value};
    return writeProfileStrings(section, &entry, 1, file);
}

bool writeProfileStrings(const char* section, const ProfileEntry* entries, std::size_t count, const char* file)
{
    if (!file || !*file || !entries)
        return false;
    std::string_view sectionView;
    std::vector<std::string> keyNames(count);
    bool removingOnly = true;
    for (std::size_t i = 0; i < count; ++i) {
        std::string_view keyView;
        if (!profile::checkWrite(section, entries[i].key, entries[i].value, sectionView, keyView))
            return false;
        keyNames[i] = std::string(keyView);
        removingOnly = removingOnly && (!entries[i].key || !entries[i].value);
    }
    const std::string target = file;
    const DWORD attributes = ::GetFileAttributesA(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;

    std::string content;
    const ReadResult read = readWholeFile(target, content);
    if (read == ReadResult::Failed)
        return false;
    if (read == ReadResult::Missing && removingOnly)
        return true;

    // The system call rewrites the file in place, so a crash in the middle would leave half a file, and a
    // new file would take the folder's access list. It therefore writes into a private copy that then
    // replaces the file in one step.
    static std::atomic<unsigned> counter{0};
    const std::size_t separator = target.find_last_of("\\/");
    const std::string folder = separator == std::string::npos ? std::string() : target.substr(0, separator + 1);
    const std::string base = separator == std::string::npos ? target : target.substr(separator + 1);
    const std::string temp = folder + "." + base.substr(0, 32) + "." + std::to_string(::GetCurrentProcessId()) + "." +
                             std::to_string(counter++) + ".tmp";
    if (!createPrivateFile(temp))
        return false;

    const std::string sectionName(sectionView);
    bool ok = writeWholeFile(temp, content);
    for (std::size_t i = 0; ok && i < count; ++i)
        ok = ::WritePrivateProfileStringA(sectionName.c_str(), entries[i].key ? keyNames[i].c_str() : nullptr,
                                          entries[i].value, temp.c_str());
    forgetCached(temp.c_str());
    // The copy goes in through SaveFile, like every other file of ours.
    std::string written;
    ok = ok && readWholeFile(temp, written) == ReadResult::Ok && SaveWholeFile(target, written);
    ::DeleteFileA(temp.c_str());
    return ok;
}

} // namespace platform
