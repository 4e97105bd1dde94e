#pragma once

#include "misc/CxIniUtil.h"

#include <cstddef>
#include <cstdint>
#include <string>

// Every setting of the program, one field per key of the settings file.
struct AppSettingsData
{
    char PadName[256];
    char UserName[64];
    bool SaveUser;
    bool SavePassword;
    char Password[64];
    bool Opp;
    bool OppNotes;
    std::int32_t AppFlag;
    bool CaseSensitive;
    bool AddrDisplayName;
    bool AddrFirstName;
    bool AddrMiddleName;
    bool AddrLastName;
    bool AddrCompanyName;
    bool AddrDepartment;
    bool AddrTitle;
    bool AddrEmail;
    bool AddrPhone;
    bool AddrAddress;
    bool AddrIM;
    bool AddrWebSite;
    bool AddrNote;
    bool DateSubject;
    bool DateLocation;
    bool DateStartTime;
    bool DateEndTime;
    bool DateAllDayEvent;
    bool DateRecur;
    bool DateNote;
    bool TaskSubject;
    bool TaskImportance;
    bool TaskDueDate;
    bool TaskNote;
    bool EnableDebug;
    std::int32_t LogLevel;
    // "Also count as equal": how texts compare under the rules above, each off unless switched on.
    bool MatchBlanks;
    bool MatchPunct;
    bool MatchPhone;
    bool MatchEmail;
};

// The record kinds chosen in AppFlag.
enum AppKindFlag : std::int32_t
{
    KIND_ADDR = 1,
    KIND_DATE = 2,
    KIND_TASK = 4,
    KIND_NOTE = 8,
};

extern AppSettingsData AppSettings;
// The settings file: "corvane.ini" in the program folder until start-up points it at the data folder.
extern CxIniUtil SettingsFile;

constexpr const char* kSettingsSection = "Velloran";
constexpr const char* kSettingsFileName = "corvane.ini";

// Writes the data folder (ending in the separator) into a buffer of 260 characters, creating its two
// levels when missing (readable by the owner only). False, buffer untouched, when it cannot be had.
bool GetDataFolder(char* buffer);
// Why the data folder cannot be had, for the user: "Velloran's data folder cannot be found or created.",
// the folder it should be (when the system names one) and what to do next. One line.
std::string NoDataFolderText();
// Writes the program's own folder, ending in the separator. False for a null buffer or when unknown.
bool GetProgramFolder(char* buffer);

// The PAD path made absolute against the current folder, where the user named it: the helpers run in the
// program folder. An empty path stays empty.
std::string AbsolutePadPath(const char* path);

// Removes from `folder` the temporary files our atomic writes left behind when a process ended in the
// middle of one (".<name>.<process id>.<count>.tmp"): they may hold a copy of the parameter file, with
// the password. The file of a process that still runs stays, since another Velloran or a helper may be
// writing it now. Returns how many went.
std::size_t SweepStaleTempFiles(const std::string& folder);

void LoadSettings();
// Every key in one atomic write; false, with the file as it was, when it cannot be written.
bool SaveSettings();

// Standard Base64 (RFC 4648) with "=" padding and no line breaks. The destination takes
// 4 * ceil(count / 3) characters; the caller terminates the text. True when a group was written.
bool Base64Encode(const unsigned char* source, char* destination, std::size_t count);
// Decodes group by group; a character outside the alphabet ends its group early and decoding goes on
// with the next group. Writes at most `capacity` bytes and no terminator. True when a byte was produced.
bool Base64Decode(const char* source, unsigned char* destination, std::size_t capacity,
                  std::size_t* outCount = nullptr);
