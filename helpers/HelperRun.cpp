#include "HelperRun.h"

#include "HelperParams.h"
#include "misc/CxDebugUtil.h"
#include "misc/CxFile.h"
#include "misc/CxIniUtil.h"
#include "platform/Platform.h"
#include "platform/SaveFile.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <thread>
#include <vector>

namespace helper {

namespace {

constexpr std::uint32_t kStopCheckEvery = 2000;
constexpr std::uint32_t kMaxProgressStep = 5000;

// The log is written only when the program named a usable folder for it.
bool g_logReady = false;

#define HELPER_LOG(level, ...)                                                                                         \
    do {                                                                                                               \
        if (g_logReady)                                                                                                \
            DebugLog.Log((level), __FILE__, __LINE__, __VA_ARGS__);                                                    \
    } while (0)

std::string OneLine(std::string text)
{
    std::replace(text.begin(), text.end(), '\r', ' ');
    std::replace(text.begin(), text.end(), '\n', ' ');
    return text;
}

class ErrorReport
{
public:
    ErrorReport(const std::string& folder, const std::string& name) : m_folder(folder), m_name(name) {}

    void Add(const std::string& text)
    {
        m_errors.push_back(OneLine(text));
        HELPER_LOG(0, "%s", m_errors.back().c_str());
    }

    // Leaves no error file when there is nothing to report, so no stale error outlives a good run.
    void Write() const
    {
        platform::removeFile(m_folder + m_name);
        if (m_errors.empty())
            return;
        CxIniUtil ini(m_folder.c_str(), m_name.c_str());
        for (std::size_t i = 0; i < m_errors.size(); ++i) {
            const std::string key = "Error." + std::to_string(i + 1);
            // The program reads the error file in the system's code page, as the CRM's helpers write it.
            ini.WriteString("Error", key.c_str(), platform::utf8ToLocalText(m_errors[i]).c_str());
        }
        ini.WriteInt("Error", "Error.Count", static_cast<std::int32_t>(m_errors.size()));
    }

private:
    std::string m_folder;
    std::string m_name;
    std::vector<std::string> m_errors;
};

// Section Status of ACT<kind>.ini: Running holds the process number of the run while it lasts and Started
// when that process started, Stop is set when the program wants it to end. A run that timed out may still
// be going when the next one starts: a Stop then in the file may be meant for it and is left for both to
// see. A Stop no living run can own is stale and would stop every later run: it is cleared.
class RunState
{
public:
    RunState(const std::string& folder, const KindInfo& info)
        : m_ini(folder.c_str(), (std::string("ACT") + info.tag + ".ini").c_str())
    {
    }
    ~RunState() { End(); }
    RunState(const RunState&) = delete;
    RunState& operator=(const RunState&) = delete;

    void Begin()
    {
        m_id = static_cast<std::int32_t>(platform::currentProcessId());
        const std::string id = std::to_string(m_id);
        const std::string started = std::to_string(platform::processStartTime(platform::currentProcessId()));
        std::vector<platform::ProfileEntry> entries{{"Running", id.c_str()}, {"Started", started.c_str()}};
        if (!MarkedRunMayBeAlive())
            entries.push_back({"Stop", "0"});
        // One write, so that no other run ever reads our number beside another's start.
        platform::writeProfileStrings("Status", entries.data(), entries.size(), m_ini.GetPath());
        m_running = true;
    }
    void End()
    {
        // A later run that has started meanwhile keeps its mark.
        if (m_running && m_ini.ReadInt("Status", "Running", 0) == m_id)
            m_ini.WriteInt("Status", "Running", 0);
        m_running = false;
    }
    bool StopRequested() { return m_ini.ReadInt("Status", "Stop", 0) != 0; }

private:
    // Whether the run marked in the file may still be going. 1 is no run's number (the program itself,
    // or a helper that marks no number, wrote it); our own number is an earlier process's. A number
    // whose process started at another time than the run noted was given to a later process once the
    // run had ended (Wine and Windows give numbers again soon). Without a note, or without an answer
    // from the system, the run may be alive.
    bool MarkedRunMayBeAlive()
    {
        const std::int32_t other = m_ini.ReadInt("Status", "Running", 0);
        char noted[32] = {};
        m_ini.ReadString("Status", "Started", noted, sizeof(noted), "0");
        // A run that marked itself between the reads has just started.
        if (m_ini.ReadInt("Status", "Running", 0) != other)
            return true;
        if (other <= 1 || other == m_id || !platform::processExists(static_cast<unsigned long>(other)))
            return false;
        const unsigned long long start = std::strtoull(noted, nullptr, 10);
        const unsigned long long now = platform::processStartTime(static_cast<unsigned long>(other));
        return start == 0 || now == 0 || now == start;
    }

    CxIniUtil m_ini;
    std::int32_t m_id = 0;
    bool m_running = false;
};

// The one-line progress file. Replaced whole each time, so a reader never sees half a line, and two runs
// never share a temporary file. It matters only while the run lasts: not synced to the disk.
class Progress
{
public:
    Progress(const std::string& folder, const std::string& name) : m_path(folder + name) {}

    void Show(const char* verb, const char* noun, std::uint32_t done, std::uint32_t total)
    {
        char line[160];
        const int length = std::snprintf(line, sizeof(line), "%s %s: %u of %u\r\n", verb, noun, done, total);
        platform::SaveWholeFile(m_path, std::string_view(line, static_cast<std::size_t>(length)), false);
    }

    // About every 1 %, and at least every few thousand records.
    static std::uint32_t StepFor(std::uint32_t total)
    {
        return std::clamp<std::uint32_t>(total / 100, 1, kMaxProgressStep);
    }

private:
    std::string m_path;
};

struct Run
{
    const KindInfo& info;
    const HelperParams& params;
    ErrorReport& errors;
    RunState& state;
    Progress& progress;
};

// One record of the kind at a time, suitably aligned, with the texts of the record in hand.
class RecordBuffer
{
public:
    explicit RecordBuffer(Kind kind)
        : m_kind(kind), m_words((InfoOf(kind).recordSize + sizeof(std::max_align_t) - 1) / sizeof(std::max_align_t)),
          m_data(new std::max_align_t[m_words])
    {
        Clear();
    }
    void* get() { return m_data.get(); }
    CxTextArena& texts() { return m_texts; }
    // Every number 0 and every text empty.
    void Clear()
    {
        ClearRecord(m_kind, m_data.get());
        m_texts.Clear();
    }

private:
    Kind m_kind;
    std::size_t m_words;
    std::unique_ptr<std::max_align_t[]> m_data;
    CxTextArena m_texts;
};

const FieldDesc* FindField(const FieldTable& table, const char* name)
{
    for (std::size_t i = 0; i < table.count; ++i)
        if (std::strcmp(table.fields[i].name, name) == 0)
            return &table.fields[i];
    return nullptr;
}

void SetUpLog(const HelperParams& params)
{
    std::string folder = params.debugFolder;
    if (folder.empty())
        return;
    if (!platform::isPathSeparator(folder.back())) {
        std::error_code ec;
        if (!std::filesystem::is_directory(folder, ec))
            return;
        folder += platform::kPathSeparator;
    }
    DebugLog.SetFolder(folder.c_str());
    DebugLog.SetLevel(params.logLevel);
    DebugLog.SetEnabled(params.debugOn);
    g_logReady = true;
}

void HoldForTest()
{
    const char* hold = std::getenv(kHoldEnv);
    if (!hold || !*hold)
        return;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (!platform::pathExists(hold) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

void BindTaskSources(const Run& run, Statement& stmt)
{
    if (run.info.kind != Kind::Tasks)
        return;
    sqlite3_bind_int(stmt.get(), 1, run.params.opp ? 1 : 0);
    sqlite3_bind_int(stmt.get(), 2, run.params.oppNotes ? 1 : 0);
}

bool OpenAndLogin(const Run& run, bool forWriting, Database& db, std::string& dbPath)
{
    std::string error;
    if (!ResolvePad(run.params.padPath, dbPath, error)) {
        run.errors.Add(error);
        return false;
    }
    if (!db.Open(dbPath, forWriting ? SQLITE_OPEN_READWRITE : SQLITE_OPEN_READONLY)) {
        run.errors.Add("Cannot open database: " + dbPath + ": " + db.Error());
        return false;
    }
    // The first statement is where a file that is no database shows.
    Statement users(db);
    if (!users.Prepare("SELECT password FROM users WHERE name = ?1 COLLATE NOCASE")) {
        run.errors.Add("Cannot open database: " + dbPath + ": " + db.Error());
        return false;
    }
    sqlite3_bind_text(users.get(), 1, run.params.user.c_str(), static_cast<int>(run.params.user.size()),
                      SQLITE_TRANSIENT);
    bool match = false;
    int rc;
    while ((rc = users.Step()) == SQLITE_ROW) {
        const auto* password = static_cast<const void*>(sqlite3_column_blob(users.get(), 0));
        const auto length = static_cast<std::size_t>(sqlite3_column_bytes(users.get(), 0));
        if (length == run.params.password.size() &&
            (length == 0 || std::memcmp(password, run.params.password.data(), length) == 0))
            match = true;
    }
    if (rc != SQLITE_DONE) {
        run.errors.Add("Cannot open database: " + dbPath + ": " + db.Error());
        return false;
    }
    if (!match) {
        run.errors.Add("Login failed: unknown user or wrong password.");
        return false;
    }
    return true;
}

std::string BadRecordId(std::string_view id, std::uint32_t row, std::size_t longest, const char* noun)
{
    std::string shown;
    for (char c : id)
        shown += c == '\0' ? std::string("\\0") : std::string(1, c);
    const std::string why = id.find('\0') != std::string_view::npos
                                ? "holds a zero byte"
                                : "is " + std::to_string(id.size()) + " bytes long, more than the " +
                                      std::to_string(longest) + " a data file can carry";
    return "the Record ID \"" + shown + "\" (record " + std::to_string(row) + " of the " + noun + ") " + why +
           "; no data file was written.";
}

int Stopped(const Run& run, const char* what)
{
    run.errors.Add(std::string("Stopped on request; ") + what);
    HELPER_LOG(2, "Stop requested: the run ends early.");
    return kExitStopped;
}

int Load(const Run& run)
{
    const std::string dataPath = run.params.workFolder + run.params.dataFile;
    // A file left by an earlier run must never pass for the result of this one. The new file takes its
    // place only once whole; its temporary file is this run's own, even when an earlier run that timed
    // out still writes beside it.
    platform::removeFile(dataPath);

    Database db;
    std::string dbPath;
    if (!OpenAndLogin(run, false, db, dbPath))
        return kExitFailed;
    const std::string readError = "Cannot read database: " + dbPath + ": ";

    // One read transaction, so the count and the rows agree.
    Statement count(db);
    Statement select(db);
    if (!db.Exec("BEGIN") || !count.Prepare(CountRecordsSql(run.info.kind)) ||
        !select.Prepare(SelectRecordsSql(run.info.kind))) {
        run.errors.Add(readError + db.Error());
        return kExitFailed;
    }
    BindTaskSources(run, count);
    BindTaskSources(run, select);
    if (count.Step() != SQLITE_ROW) {
        run.errors.Add(readError + db.Error());
        return kExitFailed;
    }
    const sqlite3_int64 counted = sqlite3_column_int64(count.get(), 0);
    if (counted < 0 || counted > INT32_MAX) {
        run.errors.Add(readError + "too many records");
        return kExitFailed;
    }
    const auto total = static_cast<std::uint32_t>(counted);
    HELPER_LOG(2, "Loading %u %s from %s.", total, run.info.noun, dbPath.c_str());

    run.progress.Show("Reading", run.info.noun, 0, total);
    if (run.state.StopRequested())
        return Stopped(run, "no data file was written.");

    CxFile file;
    if (!file.Open(dataPath.c_str(), "wb")) {
        run.errors.Add("Cannot write data file: " + dataPath);
        return kExitFailed;
    }
    auto fail = [&](const std::string& error, int code) {
        file.Abandon();
        if (code == kExitStopped)
            return Stopped(run, "no data file was written.");
        run.errors.Add(error);
        return code;
    };

    const FieldTable& table = run.info.fields();
    const std::size_t longestId = FindField(table, "RecordID")->size - 1;
    RecordBuffer record(run.info.kind);
    const std::uint32_t step = Progress::StepFor(total);
    std::uint32_t written = 0;
    bool ok = file.WriteInt(static_cast<std::int32_t>(total));
    int rc = SQLITE_DONE;
    while (ok && (rc = select.Step()) == SQLITE_ROW) {
        if (written == total)
            return fail(readError + "the records changed while they were read", kExitFailed);
        // A cut Record ID could name another record, the one whose ID is its prefix: a later submit would
        // delete that one.
        if (const std::string_view id = RowRecordId(select.get(), run.info.kind);
            id.size() > longestId || id.find('\0') != std::string_view::npos)
            return fail(readError + BadRecordId(id, written + 1, longestId, run.info.noun), kExitFailed);
        ReadRow(select.get(), run.info.kind, record.get(), record.texts());
        ok = WriteFields(file, table, record.get());
        ++written;
        if (written % step == 0)
            run.progress.Show("Reading", run.info.noun, written, total);
        if (written % kStopCheckEvery == 0 && run.state.StopRequested())
            return fail(std::string(), kExitStopped);
    }
    if (!ok)
        return fail("Cannot write data file: " + dataPath, kExitFailed);
    if (rc != SQLITE_DONE)
        return fail(readError + db.Error(), kExitFailed);
    if (written != total)
        return fail(readError + "the records changed while they were read", kExitFailed);
    db.Exec("COMMIT");
    if (!file.Close()) {
        run.errors.Add("Cannot write data file: " + dataPath);
        return kExitFailed;
    }
    run.progress.Show("Reading", run.info.noun, total, total);
    HELPER_LOG(2, "Wrote %u %s to %s.", total, run.info.noun, dataPath.c_str());
    return kExitOk;
}

int Submit(const Run& run)
{
    Database db;
    std::string dbPath;
    if (!OpenAndLogin(run, true, db, dbPath))
        return kExitFailed;

    const std::string dataPath = run.params.workFolder + run.params.dataFile;
    const std::string damaged = "Data file is incomplete or damaged: " + dataPath + "; nothing was deleted.";
    const FieldTable& table = run.info.fields();
    const FieldDesc* action = FindField(table, "Action");
    const FieldDesc* recordId = FindField(table, "RecordID");

    CxFile file;
    if (!file.Open(dataPath.c_str(), "rb")) {
        run.errors.Add("Cannot read data file: " + dataPath + "; nothing was deleted.");
        return kExitFailed;
    }
    const long long fileSize = CxFile::GetFileSize(dataPath.c_str());
    RecordBuffer record(run.info.kind);
    const std::size_t smallest = RecordBytes(table, record.get());
    std::int32_t stored = 0;
    if (!file.ReadInt(&stored) || 4 + static_cast<unsigned long long>(static_cast<std::uint32_t>(stored)) * smallest >
                                      static_cast<unsigned long long>(fileSize)) {
        run.errors.Add(damaged);
        return kExitFailed;
    }
    const auto total = static_cast<std::uint32_t>(stored);

    // Every record is read before anything is deleted: a file that cannot be read to its end
    // deletes nothing.
    std::vector<std::string> marked;
    std::uint64_t consumed = 4;
    const std::uint32_t step = Progress::StepFor(total);
    for (std::uint32_t i = 0; i < total; ++i) {
        record.Clear();
        if (!ReadFields(file, table, record.get(), record.texts())) {
            run.errors.Add(damaged);
            return kExitFailed;
        }
        consumed += RecordBytes(table, record.get());
        const auto* base = static_cast<const unsigned char*>(record.get());
        std::int32_t act = 0;
        std::memcpy(&act, base + action->offset, sizeof(act));
        const char* id = RecordText(record.get(), *recordId);
        // An empty Record ID names no record.
        if (act == ACTION_DELETE && id[0])
            marked.emplace_back(id);
        if ((i + 1) % step == 0)
            run.progress.Show("Reading", run.info.noun, i + 1, total);
        if ((i + 1) % kStopCheckEvery == 0 && run.state.StopRequested())
            return Stopped(run, "nothing was deleted.");
    }
    file.Close();
    // Anything beyond the last record, or a text longer than its field, means the file is not what
    // the program wrote.
    if (consumed != static_cast<std::uint64_t>(fileSize)) {
        run.errors.Add(damaged);
        return kExitFailed;
    }

    const auto toDelete = static_cast<std::uint32_t>(marked.size());
    HELPER_LOG(2, "%u of %u %s are marked for deletion.", toDelete, total, run.info.noun);
    run.progress.Show("Deleting", run.info.noun, 0, toDelete);
    if (marked.empty())
        return kExitOk;

    const std::string deleteError = "Cannot delete records: " + dbPath + ": ";
    Statement erase(db);
    if (!db.Exec("BEGIN IMMEDIATE") || !erase.Prepare(DeleteByRecordIdSql(run.info.kind))) {
        run.errors.Add(deleteError + db.Error());
        return kExitFailed;
    }
    auto rollback = [&](const std::string& error) {
        db.Exec("ROLLBACK");
        run.errors.Add(error);
        return kExitFailed;
    };
    std::uint32_t deleted = 0;
    const std::uint32_t deleteStep = Progress::StepFor(toDelete);
    for (std::uint32_t i = 0; i < toDelete; ++i) {
        const std::string& id = marked[i];
        sqlite3_bind_text(erase.get(), 1, id.c_str(), static_cast<int>(id.size()), SQLITE_STATIC);
        if (erase.Step() != SQLITE_DONE)
            return rollback(deleteError + db.Error());
        // A record already gone from the database is simply skipped.
        deleted += static_cast<std::uint32_t>(sqlite3_changes(db.Handle()));
        erase.Reset();
        if ((i + 1) % deleteStep == 0)
            run.progress.Show("Deleting", run.info.noun, i + 1, toDelete);
    }
    if (run.state.StopRequested()) {
        db.Exec("ROLLBACK");
        return Stopped(run, "nothing was deleted.");
    }
    if (!db.Exec("COMMIT")) {
        const std::string error = db.Error();
        return rollback(deleteError + error);
    }
    run.progress.Show("Deleting", run.info.noun, toDelete, toDelete);
    HELPER_LOG(2, "Deleted %u %s.", deleted, run.info.noun);
    return kExitOk;
}

} // namespace

int HelperMain(Kind kind, int argc, char** argv)
{
    platform::restrictLibrarySearch();
    const KindInfo& info = InfoOf(kind);
    if (argc != 2 || !argv[1][0]) {
        std::fprintf(stderr, "usage: %s PARAMETER-FILE\n", argc > 0 ? argv[0] : "helper");
        return kExitBadInput;
    }
    // The program hands the path in the system's code page, as the CRM's helpers take it.
    const std::string paramPath = platform::pathFromLocalText(argv[1]);

    // Until the parameter file says otherwise, errors go beside it under the kind's usual name.
    HelperParams params;
    params.workFolder = FolderOf(paramPath);
    params.errorFile = std::string("ACT") + info.tag + "Err.dat";
    std::map<int, std::string> entries;
    std::string error;
    if (!ReadParamFile(paramPath, entries, error) || !TakeParams(entries, params, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        if (!params.workFolder.empty()) {
            ErrorReport report(params.workFolder, params.errorFile);
            report.Add(error);
            report.Write();
        }
        return kExitBadInput;
    }

    SetUpLog(params);
    HELPER_LOG(2, "%s run for %s started.", params.mode == RunMode::Load ? "Load" : "Submit", info.noun);
    ErrorReport errors(params.workFolder, params.errorFile);
    errors.Write();
    RunState state(params.workFolder, info);
    state.Begin();
    HoldForTest();

    Progress progress(params.workFolder, params.statusFile);
    const Run run{info, params, errors, state, progress};
    const int rc = params.mode == RunMode::Load ? Load(run) : Submit(run);
    errors.Write();
    state.End();
    HELPER_LOG(2, "%s run for %s ended with code %d.", params.mode == RunMode::Load ? "Load" : "Submit", info.noun, rc);
    return rc;
}

} // namespace helper
