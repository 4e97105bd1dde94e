// velloran-scan: loads the chosen kinds through the helpers, groups them under the duplicate rules of the
// settings file and prints the duplicates. It deletes nothing and never writes the settings file.

#include "ACT/CxACTAddr.h"
#include "ACT/CxACTDate.h"
#include "ACT/CxACTNote.h"
#include "ACT/CxACTTask.h"
#include "core/Apputil.h"
#include "core/CleanupSession.h"
#include "core/DateText.h"
#include "core/DeletionBackup.h"
#include "core/DupGroup.h"
#include "misc/CxDebugUtil.h"
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
    "       velloran-scan --help\n"
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
    // Only the usage is wanted; nothing else of the options counts.
    bool help = false;
};

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

// The kinds by their words; false for an unknown word or none.
bool parseKinds(const std::string& text, std::int32_t& kinds)
{
    kinds = 0;
    std::stringstream list(text);
    std::string item;
    while (std::getline(list, item, ',')) {
        const std::optional<RecordKind> kind = KindOfWord(item);
        if (!kind)
            return false;
        kinds |= KindInfo(*kind).flag;
    }
    return kinds != 0;
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
        if (arg == "--help" || arg == "-h") {
            o.help = true;
            return o;
        }
        if (arg == "--pad" && hasValue) {
            o.pad = argv[++i];
            havePad = true;
        } else if (arg == "--user" && hasValue) {
            // The login is a text of the CRM's, which takes it in the system's code page.
            o.user = platform::utf8ToLocalText(argv[++i]);
            haveUser = true;
        } else if (arg == "--password" && hasValue) {
            o.password = platform::utf8ToLocalText(argv[++i]);
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
    return {oneLine(r.Regarding), TimeTextOrNA(r.StartTime), TimeTextOrNA(r.EndTime), r.IsTimeless ? "Yes" : "No",
            oneLine(r.Location)};
}
std::vector<std::string> columns(const TaskRecord& r)
{
    return {oneLine(r.Regarding), importance(r.Priority), DateTextOrNA(r.DueDate), oneLine(r.Details)};
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
    LoadRequest request;
    CleanupSession session;
    bool headerPrinted = false;

    // Loads, groups and prints one kind; false when the load failed.
    bool run(RecordKind kind)
    {
        const RecordKindInfo& info = KindInfo(kind);
        // One kind at a time: what is printed needs no memory any more.
        request.kinds = info.flag;
        WorkProgress quiet;
        auto start = std::chrono::steady_clock::now();
        const LoadOutcome outcome = session.LoadSelectedKinds(request, quiet);
        if (!outcome.Loaded()) {
            std::fprintf(stderr, "velloran-scan: cannot load the %s: %s\n", info.word,
                         outcome.kinds[kind].failure.c_str());
            return false;
        }
        const double loadSeconds = secondsSince(start);
        return session.Data().Visit(kind, [&](auto& util) {
            double readSeconds = 0;
            if (options.timings) {
                // The data file is still there: reading it again measures our part of the load alone.
                util.Clear();
                start = std::chrono::steady_clock::now();
                util.ReadDataFile();
                readSeconds = secondsSince(start);
            }

            using Record = typename std::remove_reference_t<decltype(util)>::Record;
            CxList dupList;
            std::vector<Record*> kept;
            start = std::chrono::steady_clock::now();
            FindDuplicates(util.GetManager(), &dupList, &kept, AppSettings);
            const double groupSeconds = secondsSince(start);
            if (options.timings)
                std::fprintf(stderr, "%s: helper %.3f s, read %.3f s, grouping %.3f s\n", info.word,
                             loadSeconds - readSeconds, readSeconds, groupSeconds);

            print(util.GetManager()->GetEntryCount(), dupList, kept, info.word, info.title);
            return true;
        });
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
    platform::restrictLibrarySearch();
    std::vector<std::string> arguments = platform::programArguments(argc, argv);
    std::vector<char*> pointers = platform::argumentPointers(arguments);
    const std::optional<Options> options = parseArguments(static_cast<int>(arguments.size()), pointers.data());
    if (!options) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    if (options->help) {
        std::fputs(kUsage, stdout);
        return 0;
    }

    char dataFolder[260] = {};
    if (GetDataFolder(dataFolder)) {
        SweepStaleTempFiles(dataFolder);
        SettingsFile.SetPath((std::string(dataFolder) + kSettingsFileName).c_str());
        DebugLog.SetFolder(dataFolder);
    } else {
        // The scan needs no data folder of its own, but a user should hear why the settings are not read.
        std::fprintf(stderr, "velloran-scan: %s The scan goes on with the default settings.\n",
                     NoDataFolderText().c_str());
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
    // The settings' options with the login and the database of the command line.
    LoadRequest request = LoadRequest::FromSettings(AppSettings);
    request.workFolder = work + platform::kPathSeparator;
    request.padPath = AbsolutePadPath(options->pad.c_str());
    request.userName = options->user;
    request.password = options->password;
    Scan scan{*options, request, {}};

    bool ok = true;
    for (const RecordKind kind : kAllRecordKinds)
        if (ok && IsChosen(kind, options->kinds))
            ok = scan.run(kind);
    std::fflush(stdout);

    std::error_code ec;
    std::filesystem::remove_all(platform::fsPath(work), ec);
    return ok ? 0 : 1;
}
