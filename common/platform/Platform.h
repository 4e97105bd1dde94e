#pragma once

// The few operating-system services the program needs, behind one interface. Each operating system
// has its own source file; callers carry no #ifdef.

#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The separator paths are written with, and every character that separates the parts of a path (on Windows
// '/' as well as '\\').
#ifdef _WIN32
constexpr char kPathSeparator = '\\';
constexpr const char* kPathSeparators = "\\/";
#else
constexpr char kPathSeparator = '/';
constexpr const char* kPathSeparators = "/";
#endif

constexpr bool isPathSeparator(char c)
{
    return std::string_view(kPathSeparators).find(c) != std::string_view::npos;
}

// Local calendar time, as the Win32 SYSTEMTIME holds it (month 1-12, day of week 0 = Sunday).
struct LocalTime
{
    int year = 0;
    int month = 0;
    int dayOfWeek = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int milliseconds = 0;
};

// The folder in which the program keeps its data folder: the user's own local application data folder
// on Windows (%LOCALAPPDATA%), the user's data home ($XDG_DATA_HOME, else ~/.local/share) elsewhere. Both
// belong to the user alone. The folder is created when missing. The result does not end in a separator.
// False when no such folder can be had.
bool applicationDataFolder(std::string& folder);
// Where applicationDataFolder looks, in words for a message to the user.
#ifdef _WIN32
constexpr const char* kApplicationDataWords = "your local application data folder (%LOCALAPPDATA%)";
#else
constexpr const char* kApplicationDataWords = "$XDG_DATA_HOME or, without it, .local/share in your home folder";
#endif

// The user's documents folder, without a trailing separator. False when it cannot be found.
bool documentsFolder(std::string& folder);

// Tests give the two folders above folders of their own (applicationDataFolder still creates its folder
// when missing); empty texts give the system's folders back. On Windows the system decides them and no
// environment variable moves them. Not for use while other threads ask for the folders.
void setUserFoldersForTesting(const std::string& applicationData, const std::string& documents);

// The full path of the running executable. False when it cannot be found.
bool executablePath(std::string& path);

// The folder of the running executable, ending in the separator. False when it cannot be found.
bool programFolder(std::string& folder);

bool pathExists(const std::string& path);

// Whether a folder that is already there may hold our files.
enum class FolderCheck
{
    Missing,
    Private,
    // A file, or something else that is no folder.
    NotAFolder,
    // A symbolic link or (on Windows) a junction: what is written inside lands wherever it points.
    Link,
    // Another user's, who may read or replace what is written inside.
    OtherOwner,
    // Its owner cannot be read.
    Unknown,
};
// On Windows a link or a junction and a folder of another owner are found out; on POSIX, where the
// folder lies in the user's own home, only a folder of another owner (a link is followed, as the user
// set it up).
FolderCheck checkFolder(const std::string& path);

// Paths in this interface are UTF-8 texts on every system; on Windows each call hands them to the
// system's wide-character calls. std::filesystem reads a narrow text by another rule on Windows, so paths
// cross over through these two. pathText is false for a name without UTF-8 (on Windows, half of a
// surrogate pair), which no call here could open anyway.
std::filesystem::path fsPath(const std::string& path);
bool pathText(const std::filesystem::path& path, std::string& text);

// A path as a helper takes it through the parameter file: in the system's single-byte encoding, the
// ANSI code page on Windows. A path with a letter that code page lacks (a Cyrillic user name on a Western
// Windows) is given in its short 8.3 form when the path exists and its volume keeps short names. False
// when neither spells it. On POSIX, the path itself.
bool helperPathText(const std::string& path, std::string& text);
// The other way: a path in that encoding (a helper's parameter, the settings file of an earlier version)
// as the platform calls take it. On POSIX, the path itself.
std::string pathFromLocalText(std::string_view text);

// Reads a whole file. Another process (a helper, or the program asking it to stop) may be replacing it
// this moment: on Windows the read tries again for a moment while the file is held, as the replacing
// writer does.
enum class ReadResult
{
    Ok,
    Missing,
    Failed,
};
ReadResult readWholeFile(const std::string& path, std::string& content);
// The file a rewrite of `path` replaces: on POSIX the target of a symbolic link, so that the link
// stays a link; on Windows the path itself.
std::string profileWriteTarget(const std::string& path);

// Creates one folder level that only its owner may enter (mode 0700; on Windows an access list that
// admits the owner alone and is handed down to everything created inside).
bool createPrivateFolder(const std::string& path);

// Creates a fresh, empty file that only its owner may read or write. An old file of that name is removed
// first rather than truncated: it may admit others, or be open in another process. A link in its place is
// removed, never followed. False when the file cannot be created.
bool createPrivateFile(const std::string& path);

// Creates a fresh folder that only its owner may enter, in the system's folder for temporary files, named
// `prefix` followed by random characters. `folder` receives its path, without a trailing separator.
bool createPrivateTempFolder(const std::string& prefix, std::string& folder);

// Copies a file over any existing target.
bool copyFile(const std::string& from, const std::string& to);

bool removeFile(const std::string& path);

// std::fopen, but no child process inherits the file: a helper holding a handle to one of our files
// could keep it from being renamed or deleted, and read what it should not.
std::FILE* openFile(const std::string& path, const char* mode);

// Lets the system load libraries only from its own folder and the program's, not from the current
// directory or PATH. Called first thing in every executable of ours; nothing where the system has no such
// search.
void restrictLibrarySearch();

// The program's command-line arguments as UTF-8, argv[0] first. On Windows the C runtime hands main() the
// arguments in the ANSI code page, which turns a path in another script into "?": they are taken from the
// system's wide command line instead. On POSIX, argv itself.
std::vector<std::string> programArguments(int argc, char** argv);
// The same as main() takes them: pointers into `arguments`, ending in a null pointer.
inline std::vector<char*> argumentPointers(std::vector<std::string>& arguments)
{
    std::vector<char*> pointers;
    pointers.reserve(arguments.size() + 1);
    for (std::string& argument : arguments)
        pointers.push_back(argument.data());
    pointers.push_back(nullptr);
    return pointers;
}

unsigned long currentThreadId();

unsigned long currentProcessId();
// True when a process with this identifier exists (it may be another's than the one that had it once).
bool processExists(unsigned long id);
// When the running process with this identifier started, in the system's own count (clock ticks since the
// machine started on Linux, the creation time on Windows): two processes that were given the same
// identifier one after the other differ in it. 0 when it cannot be had: no such process, one that has
// ended, or one we may not ask about.
unsigned long long processStartTime(unsigned long id);

LocalTime localTime();

// The system's own text for an error code (errno on POSIX, GetLastError on Windows).
std::string systemErrorText(int code);

// A text of the system's single-byte encoding (the one the CRM's texts come in) as UTF-8.
std::string localTextToUtf8(std::string_view text);
// UTF-8 as a text of that encoding, for a helper's own words to the program or a login given on a command
// line; a letter it lacks becomes
// the system's stand-in ("?"). On POSIX, where that encoding is UTF-8, the text itself.
std::string utf8ToLocalText(std::string_view text);

// Memory for bulk data that is filled once and kept, the records and texts of a load. A block whose size is
// a multiple of kBulkPageSize is backed by large pages where the system offers them, so that filling it
// costs one page fault per 2 MB instead of one per 4 KB; on a virtual machine a page fault can cost more
// than reading the bytes that fill the page. Null when the memory cannot be had. Released with
// releaseBulk and the same size.
constexpr std::size_t kBulkPageSize = 2 * 1024 * 1024;
void* allocateBulk(std::size_t size);
void releaseBulk(void* block, std::size_t size);
// Gives the memory of a bulk block beyond its first `used` bytes back to the system: a large page is in
// memory whole once touched, however little of it is used. Those bytes read as zeros when touched again.
void releaseUnusedBulk(void* block, std::size_t size, std::size_t used);

// Profile strings, read and written byte for byte by the same code on every system, so that a value
// such as a path in UTF-8 comes back as it went in whatever the system's code page.
// Profile strings with the behaviour of GetPrivateProfileStringA: section and key match without regard
// to case; blanks around names and values are dropped, and a value wrapped in double or in single quotes
// is read without them; the value is cut to size - 1 characters and always terminated. Returns the number
// of characters copied. A missing file, section or key gives the default without its trailing blanks
// (null counts as empty).
std::size_t readProfileString(const char* section, const char* key, const char* defaultValue, char* buffer,
                              std::size_t size, const char* file);

// Profile strings with the behaviour of WritePrivateProfileStringA: a missing file or section is
// created; a key's value is replaced in place and every other line is kept byte for byte; a new key is
// appended at the end of its section. A null value removes the key, a null key removes the section.
// Names are written without the blanks around them. A write that would change the structure of the
// file (a line break, "]" in the section, "=" in the key) is refused. The file is rewritten atomically,
// readable by its owner only. False when it cannot be written, in which case the old file is left as it
// was.
bool writeProfileString(const char* section, const char* key, const char* value, const char* file);

// Several writes of one section as one: the file is rewritten once, with all of them or (false) none.
struct ProfileEntry
{
    const char* key;
    const char* value;
};
bool writeProfileStrings(const char* section, const ProfileEntry* entries, std::size_t count, const char* file);

} // namespace platform
