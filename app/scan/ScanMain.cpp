// velloran-scan: loads the chosen kinds through the helpers, groups them under the duplicate rules of the
// settings file and prints the duplicates. It deletes nothing and never writes the settings file.

#include "ACT/CxACTAddr.h"
#include "ACT/CxACTDate.h"
#include "ACT/CxACTNote.h"
#include "ACT/CxACTTask.h"
#include "core/Apputil.h"
#include "core/DeletionBackup.h"
#include "core/DupGroup.h"
#include "misc/CxDebugUtil.h"
#include "misc/WinUtil.h"
#include "platform/Platform.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

const char* const kUsage =
    "usage: velloran-scan --pad PATH --user NAME --password TEXT [--kinds contacts,calendar,tasks,notes]\n"
    "                     [--case-sensitive | --case-insensitive] [--match blanks,punct,phone,email | none]\n"
    "                     [--csv] [--timings]\n"
    "Loads the records of an ACT! database through the helpers and prints its duplicates. Nothing is deleted.\n";

struct Options
{
    std::string pad;
    std::string user;
    std::string password;
    std::int32_t kinds = KIND_ADDR | KIND_DATE | KIND_TASK | KIND_NOTE;
    std::optional<bool> caseSensitive;
    // The "Also count as equal" options that hold for this run, when given: bit i for kMatchNames[i].
    std::optional<unsigned> match;
    bool csv = false;
    bool timings = false;
};

struct KindName
{
    const char* name;
    std::int32_t flag;
};

const KindName kKindNames[] = {
    {"contacts", KIND_ADDR}, {"calendar", KIND_DATE}, {"tasks", KIND_TASK}, {"notes", KIND_NOTE}};

struct MatchName
{
    const char* name;
    bool AppSettingsData::*flag;
};

const MatchName kMatchNames[] = {{"blanks", &AppSettingsData::MatchBlanks},
                                 {"punct", &AppSettingsData::MatchPunct},
                                 {"phone", &AppSettingsData::MatchPhone},
                                 {"email", &AppSettingsData::MatchEmail}};

// The entries named in a comma-separated list, as bits 1 << index; false for an unknown name or no name.
template <class Entry, std::size_t N>
bool parseNames(const std::string& text, const Entry (&entries)[N], unsigned& named)
{
    named = 0;
    std::stringstream list(text);
    std::string item;
    while (std::getline(list, item, ',')) {
        std::size_t i = 0;
        while (i < N && item != entries[i].name)
            ++i;
        if (i == N)
            return false;
        named |= 1u << i;
    }
    return named != 0;
}

bool parseKinds(const std::string& text, std::int32_t& kinds)
{
    unsigned named = 0;
    if (!parseNames(text, kKindNames, named))
        return false;
    kinds = 0;
    for (std::size_t i = 0; i < std::size(kKindNames); ++i) {
        if ((named >> i) & 1u)
            kinds |= kKindNames[i].flag;
    }
    return true;
}

// "none" alone, or any of the option names.
bool parseMatch(const std::string& text, unsigned& match)
{
    match = 0;
    return text == "none" || parseNames(text, kMatchNames, match);
}

std::optional<Options> parseArguments(int argc, char** argv)
{
    Options o;
    bool havePad = false, haveUser = false, havePassword = false, haveCase = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--pad" && hasValue) {
            o.pad = argv[++i];
            havePad = true;
        } else if (arg == "--user" && hasValue) {
            o.user = argv[++i];
            haveUser = true;
        } else if (arg == "--password" && hasValue) {
            o.password = argv[++i];
            havePassword = true;
        } else if (arg == "--kinds" && hasValue) {
            if (!parseKinds(argv[++i], o.kinds))
                return std::nullopt;
        } else if (arg == "--match" && hasValue) {
            unsigned match = 0;
            if (!parseMatch(argv[++i], match))
                return std::nullopt;
            o.match = match;
        } else if ((arg == "--case-sensitive" || arg == "--case-insensitive") && !haveCase) {
            o.caseSensitive = arg == "--case-sensitive";
            haveCase = true;
        } else if (arg == "--csv") {
            o.csv = true;
        } else if (arg == "--timings") {
            o.timings = true;
        } else {
            return std::nullopt;
        }
    }
    if (!havePad || !haveUser || !havePassword || o.pad.empty())
        return std::nullopt;
    return o;
}

// Texts are shown as stored; only line breaks are made visible so that each duplicate keeps one line.
std::string oneLine(const char* text)
{
    std::string out;
    for (const char* p = text; *p; ++p) {
        if (*p == '\r')
            out += "\\r";
        else if (*p == '\n')
            out += "\\n";
        else
            out += *p;
    }
    return out;
}

std::string timeText(double date)
{
    char buffer[32];
    FormatVariantTime(date, buffer, sizeof buffer);
    return buffer;
}

std::string dateText(double date)
{
    char buffer[32];
    FormatVariantDate(date, buffer, sizeof buffer);
    return buffer;
}

const char* importance(std::int32_t priority)
{
    return priority == 0 ? "High" : priority == 2 ? "Low" : "Normal";
}

// The main columns of each kind, as the review page lists them.
std::vector<std::string> columns(const ContactRecord& r)
{
    return {oneLine(r.FullName), oneLine(r.BusinessEmail), oneLine(r.BusinessPhone), oneLine(r.Company),
            oneLine(r.Title)};
}
std::vector<std::string> columns(const CalendarRecord& r)
{
    return {oneLine(r.Regarding), timeText(r.StartTime), timeText(r.EndTime), r.IsTimeless ? "Yes" : "No",
            oneLine(r.Location)};
}
std::vector<std::string> columns(const TaskRecord& r)
{
    return {oneLine(r.Regarding), importance(r.Priority), dateText(r.DueDate), oneLine(r.Details)};
}
std::vector<std::string> columns(const NoteRecord& r)
{
    return {oneLine(r.NoteText)};
}

double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

struct Scan
{
    const Options& options;
    std::string workFolder;
    std::string dataFolder;
    std::string padPath;
    bool headerPrinted = false;

    void configure(CxACTBaseUtil& util) const
    {
        util.SetWorkFolder(workFolder.c_str());
        util.SetPadName(padPath.c_str());
        util.SetUserName(options.user.c_str());
        util.SetPassword(options.password.c_str());
        util.SetDebugFolder(dataFolder.c_str());
        util.SetDebugEnabled(AppSettings.EnableDebug);
        util.SetLogLevel(AppSettings.LogLevel);
    }

    // Loads, groups and prints one kind; false when the load failed.
    template <class Util>
    bool run(Util& util, const char* kindName, const char* title)
    {
        configure(util);
        auto start = std::chrono::steady_clock::now();
        if (!util.Load()) {
            std::fprintf(stderr, "velloran-scan: cannot load the %s: %s\n", kindName, util.GetFailureText().c_str());
            return false;
        }
        const double loadSeconds = secondsSince(start);
        double readSeconds = 0;
        if (options.timings) {
            // The data file is still there: reading it again measures our part of the load alone.
            util.Clear();
            start = std::chrono::steady_clock::now();
            util.ReadDataFile();
            readSeconds = secondsSince(start);
        }

        using Record = typename Util::Record;
        CxList dupList;
        std::vector<Record*> kept;
        start = std::chrono::steady_clock::now();
        FindDuplicates(util.GetManager(), &dupList, &kept, AppSettings);
        const double groupSeconds = secondsSince(start);
        if (options.timings)
            std::fprintf(stderr, "%s: helper %.3f s, read %.3f s, grouping %.3f s\n", kindName,
                         loadSeconds - readSeconds, readSeconds, groupSeconds);

        print(util.GetManager()->GetEntryCount(), dupList, kept, kindName, title);
        return true;
    }

    template <class Record>
    void print(std::uint32_t total, CxList& dupList, const std::vector<Record*>& kept, const char* kindName,
               const char* title)
    {
        if (options.csv) {
            if (!headerPrinted)
                std::printf("kind,record_id,kept_record_id\n");
            headerPrinted = true;
        } else {
            std::printf("%s: %u records, %u duplicates\n", title, total, dupList.GetCount());
        }
        std::size_t i = 0;
        for (void* p = dupList.GetFirst(); p; p = dupList.GetNext(), ++i) {
            const auto* r = static_cast<const Record*>(p);
            if (options.csv) {
                std::printf("%s,%s,%s\n", kindName, CsvField(r->RecordID).c_str(),
                            CsvField(kept[i]->RecordID).c_str());
                continue;
            }
            std::string line = "  " + oneLine(r->RecordID) + "  duplicates " + oneLine(kept[i]->RecordID) + ":";
            const char* separator = "  ";
            for (const std::string& column : columns(*r)) {
                line += separator + column;
                separator = " | ";
            }
            std::printf("%s\n", line.c_str());
        }
        if (!options.csv)
            std::printf("\n");
    }
};

} // namespace

int main(int argc, char** argv)
{
    const std::optional<Options> options = parseArguments(argc, argv);
    if (!options) {
        std::fputs(kUsage, stderr);
        return 2;
    }

    char dataFolder[260] = {};
    if (GetDataFolder(dataFolder)) {
        SettingsFile.SetPath((std::string(dataFolder) + kSettingsFileName).c_str());
        DebugLog.SetFolder(dataFolder);
    }
    LoadSettings();
    DebugLog.SetEnabled(AppSettings.EnableDebug);
    DebugLog.SetLevel(AppSettings.LogLevel);
    if (options->caseSensitive)
        AppSettings.CaseSensitive = *options->caseSensitive;
    if (options->match) {
        for (std::size_t i = 0; i < std::size(kMatchNames); ++i)
            AppSettings.*kMatchNames[i].flag = (*options->match >> i) & 1u;
    }

    // A folder of our own for the exchange files, so that a scan never disturbs a running wizard.
    std::string work;
    if (!platform::createPrivateTempFolder("velloran-scan-", work)) {
        std::error_code ec;
        std::string temp;
        platform::pathText(std::filesystem::temp_directory_path(ec), temp);
        std::fprintf(stderr, "velloran-scan: cannot create a work folder in %s\n", temp.c_str());
        return 1;
    }
    Scan scan{*options, work + platform::kPathSeparator, dataFolder, AbsolutePadPath(options->pad.c_str())};

    bool ok = true;
    if (ok && (options->kinds & KIND_ADDR)) {
        CxACTAddrUtil util;
        ok = scan.run(util, "contacts", "Contacts");
    }
    if (ok && (options->kinds & KIND_DATE)) {
        CxACTDateUtil util;
        ok = scan.run(util, "calendar", "Calendar");
    }
    if (ok && (options->kinds & KIND_TASK)) {
        CxACTTaskUtil util;
        util.SetOpp(AppSettings.Opp);
        util.SetOppNotes(AppSettings.OppNotes);
        ok = scan.run(util, "tasks", "Todos and Opportunities");
    }
    if (ok && (options->kinds & KIND_NOTE)) {
        CxACTNoteUtil util;
        ok = scan.run(util, "notes", "Notes");
    }
    std::fflush(stdout);

    std::error_code ec;
    std::filesystem::remove_all(platform::fsPath(work), ec);
    return ok ? 0 : 1;
}
