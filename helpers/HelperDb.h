#pragma once

// The stand-in CRM database: one SQLite file named by a PAD file, with a users table and one table
// per record kind. The kind tables are built from the records' field tables, so a column exists for
// every field of a record except its two header words, named as the field. Row order (rowid) is the
// order in which a load run delivers the records. The helpers and the demo tool share this code.

#include "ACT/ACTRecords.h"
#include "misc/CxTextArena.h"

#include <sqlite3.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace helper {

enum class Kind
{
    Contacts,
    Calendar,
    Tasks,
    Notes,
};

constexpr Kind kAllKinds[] = {Kind::Contacts, Kind::Calendar, Kind::Tasks, Kind::Notes};

struct KindInfo
{
    Kind kind;
    const char* tag;   // Addr, Date, Task, Note: names the kind's exchange files
    const char* table; // contacts, calendar, tasks, notes
    const char* noun;  // for progress lines
    const FieldTable& (*fields)();
    std::size_t recordSize;
};

const KindInfo& InfoOf(Kind kind);

// Values of the tasks table's Source column. Todos are always delivered; the other two only when the
// run asks for them.
constexpr const char* kSourceTodo = "todo";
constexpr const char* kSourceOpportunity = "opportunity";
constexpr const char* kSourceOpportunityNote = "opportunity-note";

// Every field except Action and HelperValue has a column.
bool IsStored(const FieldDesc& field);

// Bytes the record takes in its data file.
std::size_t RecordBytes(const FieldTable& table, const void* record);

class Database
{
public:
    Database() = default;
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // SQLITE_OPEN_* flags. On failure Error() names the reason.
    bool Open(const std::string& path, int flags);
    void Close();
    sqlite3* Handle() const { return m_db; }
    bool Exec(const char* sql);
    // The last SQLite error message of this connection (or of the failed open).
    const std::string& Error() const { return m_error; }
    void SetError(const std::string& error) { m_error = error; }
    void TakeError();

private:
    sqlite3* m_db = nullptr;
    std::string m_error;
};

class Statement
{
public:
    explicit Statement(Database& db) : m_db(db) {}
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool Prepare(const std::string& sql);
    sqlite3_stmt* get() const { return m_stmt; }
    // SQLITE_ROW, SQLITE_DONE or an error code; an error is kept in the database's Error().
    int Step();
    void Reset();

private:
    Database& m_db;
    sqlite3_stmt* m_stmt = nullptr;
};

// Creates the users table, the four kind tables and expected_duplicates in an empty database.
bool CreateSchema(Database& db);
std::string CreateTableSql(Kind kind);

// Selects the stored columns in field order, rows in file order. For tasks the statement takes two
// parameters: ?1 nonzero to include opportunities, ?2 nonzero to include opportunity notes.
std::string SelectRecordsSql(Kind kind);
// The number of rows that SelectRecordsSql delivers, with the same parameters.
std::string CountRecordsSql(Kind kind);
// Inserts one row: the stored columns in field order, for tasks followed by Source.
std::string InsertRecordSql(Kind kind);
std::string DeleteByRecordIdSql(Kind kind);

// Binds the stored fields of a record as parameters 1..n; returns n.
int BindRecord(sqlite3_stmt* stmt, Kind kind, const void* record);
// Fills a record from a row of SelectRecordsSql, its texts in `texts`, which is cleared first. The record
// is cleared first too, so Action, HelperValue and the in-memory fields are 0; a text longer than its
// field keeps what fits.
void ReadRow(sqlite3_stmt* stmt, Kind kind, void* record, CxTextArena& texts);
// The Record ID of a row of SelectRecordsSql as the database holds it, whole (ReadRow keeps only what fits
// its field); valid until the statement moves on.
std::string_view RowRecordId(sqlite3_stmt* stmt, Kind kind);
// Every number of the record 0 and every text empty.
void ClearRecord(Kind kind, void* record);

// PAD file: an INI text, section Database, key File naming the SQLite file relative to the PAD
// file's folder (an absolute path is taken as it is).
bool WritePadFile(const std::string& padPath, const std::string& databaseFile);
// False with a message for the user when the PAD file is missing or names no database.
bool ResolvePad(const std::string& padPath, std::string& databasePath, std::string& error);

// The folder part of a path, ending in '/', or empty when the path has none.
std::string FolderOf(const std::string& path);

} // namespace helper
