#include "HelperDb.h"

#include "misc/CxIniUtil.h"
#include "platform/Platform.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

namespace helper {

namespace {

const KindInfo kKinds[] = {
    {Kind::Contacts, "Addr", "contacts", "contacts", &ContactFields, sizeof(ContactRecord)},
    {Kind::Calendar, "Date", "calendar", "calendar events", &CalendarFields, sizeof(CalendarRecord)},
    {Kind::Tasks, "Task", "tasks", "todos and opportunities", &TaskFields, sizeof(TaskRecord)},
    {Kind::Notes, "Note", "notes", "notes", &NoteFields, sizeof(NoteRecord)},
};

const char* ColumnType(FieldType type)
{
    switch (type) {
    case FieldType::Int:
    case FieldType::Bool:
        return "INTEGER NOT NULL DEFAULT 0";
    case FieldType::Date:
        return "REAL NOT NULL DEFAULT 0";
    case FieldType::Text:
        break;
    }
    return "TEXT NOT NULL DEFAULT ''";
}

std::string ColumnList(const FieldTable& table)
{
    std::string list;
    for (std::size_t i = 0; i < table.count; ++i) {
        if (!IsStored(table.fields[i]))
            continue;
        if (!list.empty())
            list += ", ";
        list += '"';
        list += table.fields[i].name;
        list += '"';
    }
    return list;
}

// Todos are every task row that is not one of the two opportunity sources, so a row with a source
// this code does not know still reaches the program.
std::string TaskFilter()
{
    return std::string(" WHERE \"Source\" NOT IN ('") + kSourceOpportunity + "', '" + kSourceOpportunityNote +
           "') OR (?1 AND \"Source\" = '" + kSourceOpportunity + "') OR (?2 AND \"Source\" = '" +
           kSourceOpportunityNote + "')";
}

} // namespace

const KindInfo& InfoOf(Kind kind)
{
    return kKinds[static_cast<int>(kind)];
}

bool IsStored(const FieldDesc& field)
{
    return !IsHeaderWord(field);
}

std::size_t RecordBytes(const FieldTable& table, const void* record)
{
    std::size_t bytes = 0;
    for (std::size_t i = 0; i < table.count; ++i) {
        const FieldDesc& f = table.fields[i];
        switch (f.type) {
        case FieldType::Int:
        case FieldType::Bool:
            bytes += 4;
            break;
        case FieldType::Date:
            bytes += 8;
            break;
        case FieldType::Text:
            bytes += 4 + std::strlen(RecordText(record, f));
            break;
        }
    }
    return bytes;
}

Database::~Database()
{
    Close();
}

bool Database::Open(const std::string& path, int flags)
{
    Close();
    // SQLite takes its file names in UTF-8; ours come in the system's encoding.
    const std::u8string name = platform::fsPath(path).u8string();
    if (sqlite3_open_v2(reinterpret_cast<const char*>(name.c_str()), &m_db, flags, nullptr) != SQLITE_OK) {
        m_error = m_db ? sqlite3_errmsg(m_db) : "out of memory";
        Close();
        return false;
    }
    sqlite3_extended_result_codes(m_db, 1);
    sqlite3_busy_timeout(m_db, 10000);
    return true;
}

void Database::Close()
{
    if (m_db) {
        sqlite3_close_v2(m_db);
        m_db = nullptr;
    }
}

bool Database::Exec(const char* sql)
{
    char* message = nullptr;
    if (sqlite3_exec(m_db, sql, nullptr, nullptr, &message) == SQLITE_OK)
        return true;
    m_error = message ? message : sqlite3_errmsg(m_db);
    sqlite3_free(message);
    return false;
}

void Database::TakeError()
{
    m_error = m_db ? sqlite3_errmsg(m_db) : "no database";
}

Statement::~Statement()
{
    sqlite3_finalize(m_stmt);
}

bool Statement::Prepare(const std::string& sql)
{
    sqlite3_finalize(m_stmt);
    m_stmt = nullptr;
    if (sqlite3_prepare_v2(m_db.Handle(), sql.c_str(), -1, &m_stmt, nullptr) == SQLITE_OK)
        return true;
    m_db.TakeError();
    return false;
}

int Statement::Step()
{
    const int rc = sqlite3_step(m_stmt);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE)
        m_db.TakeError();
    return rc;
}

void Statement::Reset()
{
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
}

std::string CreateTableSql(Kind kind)
{
    const KindInfo& info = InfoOf(kind);
    const FieldTable& table = info.fields();
    std::string sql = std::string("CREATE TABLE \"") + info.table + "\" (";
    bool first = true;
    for (std::size_t i = 0; i < table.count; ++i) {
        const FieldDesc& f = table.fields[i];
        if (!IsStored(f))
            continue;
        if (!first)
            sql += ", ";
        first = false;
        sql += '"';
        sql += f.name;
        sql += "\" ";
        // Submit runs find their rows by Record ID.
        sql += std::strcmp(f.name, "RecordID") == 0 ? "TEXT NOT NULL UNIQUE" : ColumnType(f.type);
    }
    if (kind == Kind::Tasks)
        sql += std::string(", \"Source\" TEXT NOT NULL DEFAULT '") + kSourceTodo + "'";
    sql += ")";
    return sql;
}

bool CreateSchema(Database& db)
{
    if (!db.Exec("CREATE TABLE users (name TEXT NOT NULL, password TEXT NOT NULL DEFAULT '')"))
        return false;
    for (Kind kind : kAllKinds)
        if (!db.Exec(CreateTableSql(kind).c_str()))
            return false;
    return db.Exec("CREATE TABLE expected_duplicates (kind TEXT NOT NULL, record_id TEXT NOT NULL, "
                   "kept_record_id TEXT NOT NULL)");
}

std::string SelectRecordsSql(Kind kind)
{
    const KindInfo& info = InfoOf(kind);
    std::string sql = "SELECT " + ColumnList(info.fields()) + " FROM \"" + info.table + "\"";
    if (kind == Kind::Tasks)
        sql += TaskFilter();
    return sql + " ORDER BY rowid";
}

std::string CountRecordsSql(Kind kind)
{
    const KindInfo& info = InfoOf(kind);
    std::string sql = std::string("SELECT count(*) FROM \"") + info.table + "\"";
    if (kind == Kind::Tasks)
        sql += TaskFilter();
    return sql;
}

std::string InsertRecordSql(Kind kind)
{
    const KindInfo& info = InfoOf(kind);
    const FieldTable& table = info.fields();
    std::string columns = ColumnList(table);
    std::size_t n = 0;
    for (std::size_t i = 0; i < table.count; ++i)
        n += IsStored(table.fields[i]) ? 1 : 0;
    if (kind == Kind::Tasks) {
        columns += ", \"Source\"";
        ++n;
    }
    std::string values;
    for (std::size_t i = 0; i < n; ++i)
        values += i ? ", ?" : "?";
    return std::string("INSERT INTO \"") + info.table + "\" (" + columns + ") VALUES (" + values + ")";
}

std::string DeleteByRecordIdSql(Kind kind)
{
    return std::string("DELETE FROM \"") + InfoOf(kind).table + "\" WHERE \"RecordID\" = ?1";
}

int BindRecord(sqlite3_stmt* stmt, Kind kind, const void* record)
{
    const FieldTable& table = InfoOf(kind).fields();
    const auto* base = static_cast<const unsigned char*>(record);
    int index = 0;
    for (std::size_t i = 0; i < table.count; ++i) {
        const FieldDesc& f = table.fields[i];
        if (!IsStored(f))
            continue;
        ++index;
        const void* source = base + f.offset;
        switch (f.type) {
        case FieldType::Int:
            sqlite3_bind_int(stmt, index, *static_cast<const std::int32_t*>(source));
            break;
        case FieldType::Bool:
            sqlite3_bind_int(stmt, index, *static_cast<const bool*>(source) ? 1 : 0);
            break;
        case FieldType::Date:
            sqlite3_bind_double(stmt, index, *static_cast<const double*>(source));
            break;
        case FieldType::Text: {
            const char* text = RecordText(record, f);
            sqlite3_bind_text(stmt, index, text, static_cast<int>(std::strlen(text)), SQLITE_STATIC);
            break;
        }
        }
    }
    return index;
}

void ReadRow(sqlite3_stmt* stmt, Kind kind, void* record, CxTextArena& texts)
{
    const KindInfo& info = InfoOf(kind);
    const FieldTable& table = info.fields();
    ClearRecord(kind, record);
    texts.Clear();
    auto* base = static_cast<unsigned char*>(record);
    int column = 0;
    for (std::size_t i = 0; i < table.count; ++i) {
        const FieldDesc& f = table.fields[i];
        void* target = base + f.offset;
        if (!IsStored(f))
            continue;
        switch (f.type) {
        case FieldType::Int:
            *static_cast<std::int32_t*>(target) = sqlite3_column_int(stmt, column);
            break;
        case FieldType::Bool:
            *static_cast<bool*>(target) = sqlite3_column_int64(stmt, column) != 0;
            break;
        case FieldType::Date:
            *static_cast<double*>(target) = sqlite3_column_double(stmt, column);
            break;
        case FieldType::Text: {
            const auto* value = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
            std::size_t length = value ? static_cast<std::size_t>(sqlite3_column_bytes(stmt, column)) : 0;
            // A text with an inner zero byte ends there, as it would in the file.
            length = value ? ::strnlen(value, std::min(length, f.size - 1)) : 0;
            SetRecordText(record, f, texts.Add(value, length));
            break;
        }
        }
        ++column;
    }
}

std::string_view RowRecordId(sqlite3_stmt* stmt, Kind kind)
{
    const FieldTable& table = InfoOf(kind).fields();
    int column = 0;
    for (std::size_t i = 0; i < table.count; ++i) {
        if (!IsStored(table.fields[i]))
            continue;
        if (std::strcmp(table.fields[i].name, "RecordID") == 0) {
            const auto* value = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
            return value ? std::string_view(value, static_cast<std::size_t>(sqlite3_column_bytes(stmt, column)))
                         : std::string_view();
        }
        ++column;
    }
    return {};
}

void ClearRecord(Kind kind, void* record)
{
    const KindInfo& info = InfoOf(kind);
    const FieldTable& table = info.fields();
    std::memset(record, 0, info.recordSize);
    for (std::size_t i = 0; i < table.count; ++i)
        if (table.fields[i].type == FieldType::Text)
            SetRecordText(record, table.fields[i], "");
}

std::string FolderOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of(platform::kPathSeparators);
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

namespace {

CxIniUtil PadIni(const std::string& padPath)
{
    std::string folder = FolderOf(padPath);
    const std::string name = padPath.substr(folder.size());
    if (folder.empty())
        folder = std::string(".") + platform::kPathSeparator;
    return CxIniUtil(folder.c_str(), name.c_str());
}

} // namespace

bool WritePadFile(const std::string& padPath, const std::string& databaseFile)
{
    CxIniUtil pad = PadIni(padPath);
    return pad.WriteString("Database", "File", databaseFile.c_str());
}

bool ResolvePad(const std::string& padPath, std::string& databasePath, std::string& error)
{
    if (padPath.empty() || !platform::pathExists(padPath)) {
        error = "PAD file not found: " + padPath;
        return false;
    }
    CxIniUtil pad = PadIni(padPath);
    char file[1024] = {};
    if (pad.ReadString("Database", "File", file, sizeof(file), "") == 0) {
        error = "PAD file names no database: " + padPath;
        return false;
    }
    const std::string name = file;
    databasePath = std::filesystem::path(name).is_absolute() ? name : FolderOf(padPath) + name;
    return true;
}

} // namespace helper
