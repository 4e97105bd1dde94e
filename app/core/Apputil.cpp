#include "core/Apputil.h"

#include "platform/Platform.h"

#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

AppSettingsData AppSettings{};
CxIniUtil SettingsFile(nullptr, kSettingsFileName);

namespace {

constexpr std::size_t kPathCapacity = 260;

constexpr char kBase64Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// The value of a Base64 character, or -1 for anything outside the alphabet (the terminator included).
int base64Value(char c)
{
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    return -1;
}

// Why one level of the data folder, already there, must not hold our files, and what to do: the rest of
// a sentence. Empty when it may, or when it is missing.
std::string refusalOf(const std::string& level)
{
    const std::string untrusted =
        ": whoever can change it could read or replace them, so Velloran writes nothing there. "
        "Check what it holds, remove it, then try again.";
    switch (platform::checkFolder(level)) {
    case platform::FolderCheck::Link:
        return level + " is a link or a junction to another place" + untrusted;
    case platform::FolderCheck::OtherOwner:
        return level + " belongs to another user" + untrusted;
    case platform::FolderCheck::NotAFolder:
        return level + " is a file, not a folder: move that file away, then try again.";
    case platform::FolderCheck::Unknown:
        return "the owner of " + level + " cannot be read" + untrusted;
    case platform::FolderCheck::Missing:
    case platform::FolderCheck::Private:
        break;
    }
    return {};
}

// A level that is missing is created for us alone; one that is there must be ours.
bool ensureLevel(const std::string& path)
{
    // Another instance may create it in the meantime: what counts is what is there afterwards.
    if (platform::checkFolder(path) == platform::FolderCheck::Missing)
        platform::createPrivateFolder(path);
    return platform::checkFolder(path) == platform::FolderCheck::Private;
}

bool IsUtf8(std::string_view text)
{
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80           ? 1
                                   : (lead >> 5) == 0x6  ? 2
                                   : (lead >> 4) == 0xE  ? 3
                                   : (lead >> 3) == 0x1E ? 4
                                                         : 0;
        if (length == 0 || i + length > text.size())
            return false;
        for (std::size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                return false;
        i += length;
    }
    return true;
}

// A field's text, never reading past the field even when it lacks a terminator.
template <std::size_t N> std::string fieldText(const char (&field)[N])
{
    return std::string(field, strnlen(field, N - 1));
}

void readText(const char* key, char* field, std::size_t size)
{
    SettingsFile.ReadString(kSettingsSection, key, field, size, "");
}

bool readFlag(const char* key, bool defaultValue)
{
    return SettingsFile.ReadBool(kSettingsSection, key, defaultValue);
}

std::string companyFolderIn(const std::string& base)
{
    return base + platform::kPathSeparator + "corvane" + platform::kPathSeparator;
}

std::string dataFolderIn(const std::string& base)
{
    return companyFolderIn(base) + "Velloran" + platform::kPathSeparator;
}

} // namespace

bool GetDataFolder(char* buffer)
{
    if (!buffer)
        return false;
    std::string base;
    if (!platform::applicationDataFolder(base))
        return false;
    const std::string first = companyFolderIn(base);
    const std::string folder = dataFolderIn(base);
    if (folder.size() >= kPathCapacity)
        return false;
    if (!ensureLevel(first) || !ensureLevel(folder))
        return false;
    std::memcpy(buffer, folder.c_str(), folder.size() + 1);
    return true;
}

std::string NoDataFolderText()
{
    std::string text = "Velloran's data folder cannot be found or created.";
    std::string base;
    if (platform::applicationDataFolder(base)) {
        const std::string folder = dataFolderIn(base);
        if (folder.size() >= kPathCapacity)
            return text + " Its path, " + folder +
                   ", is longer than Velloran can use: give the system's "
                   "application data folder a shorter path, then try again.";
        for (const std::string& level : {companyFolderIn(base), folder}) {
            const std::string refusal = refusalOf(level);
            if (!refusal.empty())
                return text +
                       " Velloran keeps its settings, debug log and work files (one of them holds your CRM "
                       "password while a helper runs) in " +
                       folder + ", but " + refusal;
        }
        return text + " Velloran keeps its settings, work files and debug log in " + folder +
               ": make sure that folder can be created and that you may write to it (the disk must not be full "
               "or read-only), then try again.";
    }
    return text + " The system gives no folder for application data that Velloran can use: make sure " +
           platform::kApplicationDataWords + " exists and that you may write to it, then try again.";
}

bool GetProgramFolder(char* buffer)
{
    if (!buffer)
        return false;
    std::string folder;
    if (!platform::programFolder(folder) || folder.size() >= kPathCapacity)
        return false;
    std::memcpy(buffer, folder.c_str(), folder.size() + 1);
    return true;
}

std::string AbsolutePadPath(const char* path)
{
    if (!path || !*path)
        return {};
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(platform::fsPath(path), ec);
    std::string text;
    return !ec && platform::pathText(absolute, text) ? text : std::string(path);
}

namespace {

// The process that wrote a temporary file named "." + name + "." + process id + "." + count + ".tmp", or 0
// for any other name.
unsigned long TempFileWriter(const std::string& name)
{
    constexpr std::string_view suffix = ".tmp";
    if (name.size() <= suffix.size() || name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
        return 0;
    const std::string_view rest(name.data(), name.size() - suffix.size());
    const auto number = [](std::string_view digits, unsigned long& value) {
        if (digits.empty() || digits.find_first_not_of("0123456789") != std::string_view::npos)
            return false;
        return std::from_chars(digits.data(), digits.data() + digits.size(), value).ec == std::errc();
    };
    const std::size_t countDot = rest.rfind('.');
    if (countDot == std::string_view::npos || countDot == 0)
        return 0;
    const std::size_t pidDot = rest.rfind('.', countDot - 1);
    unsigned long count = 0;
    unsigned long pid = 0;
    // A dot first and a name of at least one character before the process id.
    if (pidDot == std::string_view::npos || pidDot < 2 || rest[0] != '.' || !number(rest.substr(countDot + 1), count) ||
        !number(rest.substr(pidDot + 1, countDot - pidDot - 1), pid))
        return 0;
    return pid;
}

} // namespace

std::size_t SweepStaleTempFiles(const std::string& folder)
{
    std::size_t removed = 0;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(platform::fsPath(folder), ec), end; !ec && it != end;
         it.increment(ec)) {
        std::string name;
        if (!platform::pathText(it->path().filename(), name))
            continue;
        const unsigned long writer = TempFileWriter(name);
        if (writer == 0 || platform::processExists(writer))
            continue;
        std::error_code kind;
        const std::filesystem::file_status status = it->symlink_status(kind);
        if (kind || !(std::filesystem::is_regular_file(status) || std::filesystem::is_symlink(status)))
            continue;
        std::error_code gone;
        if (std::filesystem::remove(it->path(), gone))
            ++removed;
    }
    return removed;
}

void LoadSettings()
{
    AppSettingsData& s = AppSettings;
    std::memset(&s, 0, sizeof s);

    readText("PadName", s.PadName, sizeof s.PadName);
    // Paths are kept in UTF-8; a settings file of an earlier version holds the path in the local encoding.
    if (!IsUtf8(s.PadName))
        std::snprintf(s.PadName, sizeof s.PadName, "%s", platform::pathFromLocalText(s.PadName).c_str());
    readText("UserName", s.UserName, sizeof s.UserName);
    s.SaveUser = readFlag("SaveUser", true);
    if (!s.SaveUser)
        s.UserName[0] = '\0';
    s.SavePassword = readFlag("SavePassword", false);
    if (s.SavePassword) {
        char stored[256];
        readText("Password", stored, sizeof stored);
        // 255 characters decode to at most 192 bytes; the field keeps what fits.
        unsigned char decoded[192];
        std::size_t count = 0;
        Base64Decode(stored, decoded, sizeof decoded, &count);
        if (count > sizeof s.Password - 1)
            count = sizeof s.Password - 1;
        std::memcpy(s.Password, decoded, count);
    }
    s.Opp = readFlag("Opp", true);
    s.OppNotes = readFlag("OppNotes", true);
    s.AppFlag = SettingsFile.ReadInt(kSettingsSection, "AppFlag", 15);
    s.CaseSensitive = readFlag("CaseSensitive", false);
    s.AddrDisplayName = readFlag("AddrDisplayName", true);
    s.AddrFirstName = readFlag("AddrFirstName", true);
    s.AddrMiddleName = readFlag("AddrMiddleName", true);
    s.AddrLastName = readFlag("AddrLastName", true);
    s.AddrCompanyName = readFlag("AddrCompanyName", false);
    s.AddrDepartment = readFlag("AddrDepartment", false);
    s.AddrTitle = readFlag("AddrTitle", false);
    s.AddrEmail = readFlag("AddrEmail", true);
    s.AddrPhone = readFlag("AddrPhone", false);
    s.AddrAddress = readFlag("AddrAddress", false);
    s.AddrIM = readFlag("AddrIM", false);
    s.AddrWebSite = readFlag("AddrWebSite", false);
    s.AddrNote = readFlag("AddrNote", false);
    s.DateSubject = readFlag("DateSubject", true);
    s.DateLocation = readFlag("DateLocation", false);
    s.DateStartTime = readFlag("DateStartTime", true);
    s.DateEndTime = readFlag("DateEndTime", true);
    s.DateAllDayEvent = readFlag("DateAllDayEvent", true);
    s.DateRecur = readFlag("DateRecur", false);
    s.DateNote = readFlag("DateNote", false);
    s.TaskSubject = readFlag("TaskSubject", true);
    s.TaskImportance = readFlag("TaskImportance", true);
    s.TaskDueDate = readFlag("TaskDueDate", true);
    s.TaskNote = readFlag("TaskNote", false);
    s.EnableDebug = readFlag("EnableDebug", false);
    s.LogLevel = SettingsFile.ReadInt(kSettingsSection, "LogLevel", 3);
    // Keys added after the first 35: a file written before them reads with them off.
    s.MatchBlanks = readFlag("MatchBlanks", false);
    s.MatchPunct = readFlag("MatchPunct", false);
    s.MatchPhone = readFlag("MatchPhone", false);
    s.MatchEmail = readFlag("MatchEmail", false);
}

bool SaveSettings()
{
    const AppSettingsData& s = AppSettings;
    // All keys in one write: a disk that fails halfway leaves the file as it was, not half old and half new.
    std::vector<std::pair<const char*, std::string>> keys;
    keys.reserve(39);
    auto writeFlag = [&](const char* key, bool value) { keys.emplace_back(key, value ? "1" : "0"); };

    keys.emplace_back("AppFlag", std::to_string(s.AppFlag));
    writeFlag("CaseSensitive", s.CaseSensitive);
    writeFlag("AddrDisplayName", s.AddrDisplayName);
    writeFlag("AddrFirstName", s.AddrFirstName);
    writeFlag("AddrMiddleName", s.AddrMiddleName);
    writeFlag("AddrLastName", s.AddrLastName);
    writeFlag("AddrCompanyName", s.AddrCompanyName);
    writeFlag("AddrDepartment", s.AddrDepartment);
    writeFlag("AddrTitle", s.AddrTitle);
    writeFlag("AddrEmail", s.AddrEmail);
    writeFlag("AddrPhone", s.AddrPhone);
    writeFlag("AddrAddress", s.AddrAddress);
    writeFlag("AddrIM", s.AddrIM);
    writeFlag("AddrWebSite", s.AddrWebSite);
    writeFlag("AddrNote", s.AddrNote);
    writeFlag("DateSubject", s.DateSubject);
    writeFlag("DateLocation", s.DateLocation);
    writeFlag("DateStartTime", s.DateStartTime);
    writeFlag("DateEndTime", s.DateEndTime);
    writeFlag("DateAllDayEvent", s.DateAllDayEvent);
    writeFlag("DateRecur", s.DateRecur);
    writeFlag("DateNote", s.DateNote);
    writeFlag("TaskSubject", s.TaskSubject);
    writeFlag("TaskImportance", s.TaskImportance);
    writeFlag("TaskDueDate", s.TaskDueDate);
    writeFlag("TaskNote", s.TaskNote);
    writeFlag("EnableDebug", s.EnableDebug);
    keys.emplace_back("LogLevel", std::to_string(s.LogLevel));
    keys.emplace_back("PadName", fieldText(s.PadName));
    keys.emplace_back("UserName", s.SaveUser ? fieldText(s.UserName) : std::string());
    writeFlag("SaveUser", s.SaveUser);
    writeFlag("SavePassword", s.SavePassword);
    // 63 characters encode to 84.
    char encoded[88] = "";
    if (s.SavePassword) {
        const std::string password = fieldText(s.Password);
        Base64Encode(reinterpret_cast<const unsigned char*>(password.data()), encoded, password.size());
        encoded[(password.size() + 2) / 3 * 4] = '\0';
    }
    keys.emplace_back("Password", encoded);
    writeFlag("Opp", s.Opp);
    writeFlag("OppNotes", s.OppNotes);
    writeFlag("MatchBlanks", s.MatchBlanks);
    writeFlag("MatchPunct", s.MatchPunct);
    writeFlag("MatchPhone", s.MatchPhone);
    writeFlag("MatchEmail", s.MatchEmail);

    std::vector<platform::ProfileEntry> entries;
    entries.reserve(keys.size());
    for (const auto& [key, value] : keys) {
        // A text with a line break cannot be a value; that key keeps what it had, the others are written.
        if (value.find_first_of("\r\n") == std::string::npos)
            entries.push_back({key, value.c_str()});
    }
    return platform::writeProfileStrings(kSettingsSection, entries.data(), entries.size(), SettingsFile.GetPath());
}

bool Base64Encode(const unsigned char* source, char* destination, std::size_t count)
{
    if (!source || !destination)
        return false;
    bool wrote = false;
    while (count > 0) {
        const std::size_t n = count < 3 ? count : 3;
        const unsigned b1 = source[0];
        const unsigned b2 = n > 1 ? source[1] : 0;
        const unsigned b3 = n > 2 ? source[2] : 0;
        destination[0] = kBase64Alphabet[b1 >> 2];
        destination[1] = kBase64Alphabet[((b1 & 0x03) << 4) | (b2 >> 4)];
        destination[2] = n == 1 ? '=' : kBase64Alphabet[((b2 & 0x0F) << 2) | (b3 >> 6)];
        destination[3] = n < 3 ? '=' : kBase64Alphabet[b3 & 0x3F];
        source += n;
        destination += 4;
        count -= n;
        wrote = true;
    }
    return wrote;
}

bool Base64Decode(const char* source, unsigned char* destination, std::size_t capacity, std::size_t* outCount)
{
    std::size_t count = 0;
    bool full = false;
    auto put = [&](unsigned value) {
        if (count == capacity) {
            full = true;
            return false;
        }
        destination[count++] = static_cast<unsigned char>(value & 0xFF);
        return true;
    };

    if (source && destination) {
        for (const char* group = source; *group != '\0' && !full; group += 4) {
            // A character after the terminator is never looked at: it counts as outside the alphabet.
            char c[4] = {group[0], '\0', '\0', '\0'};
            bool complete = true;
            for (int i = 1; i < 4; ++i) {
                c[i] = group[i];
                if (c[i] == '\0') {
                    complete = false;
                    break;
                }
            }
            const int v0 = base64Value(c[0]);
            const int v1 = base64Value(c[1]);
            const int v2 = base64Value(c[2]);
            const int v3 = base64Value(c[3]);
            // '=' lies outside the alphabet, so it ends a group like any other stranger.
            if (v0 >= 0 && v1 >= 0 && put((v0 << 2) | (v1 >> 4)) && v2 >= 0 && put((v1 << 4) | (v2 >> 2)) && v3 >= 0)
                put((v2 << 6) | v3);
            if (!complete)
                break;
        }
    }

    if (outCount)
        *outCount = count;
    return count > 0;
}
