#include "HelperTestSupport.h"

#include "TestUtil.h"
#include "misc/CxFile.h"
#include "misc/CxIniUtil.h"
#include "misc/CxTextArena.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace helpertest {

const KindCase kKinds[4] = {
    {"Contacts", "Addr", "contacts", "contacts", VELLORAN_HELPER_ADDR, &ContactFields, sizeof(ContactRecord)},
    {"Calendar", "Date", "calendar", "calendar events", VELLORAN_HELPER_DATE, &CalendarFields, sizeof(CalendarRecord)},
    {"Tasks", "Task", "tasks", "todos and opportunities", VELLORAN_HELPER_TASK, &TaskFields, sizeof(TaskRecord)},
    {"Notes", "Note", "notes", "notes", VELLORAN_HELPER_NOTE, &NoteFields, sizeof(NoteRecord)},
};

void WriteParamFile(const std::string& path, const std::vector<Param>& params)
{
    CxFile file;
    if (!file.Open(path.c_str(), "wb"))
        throw std::runtime_error("cannot write " + path);
    file.WriteInt(static_cast<std::int32_t>(params.size()));
    for (const Param& p : params) {
        file.WriteInt(p.id);
        file.WriteInt(8);
        file.WriteString(p.value.c_str());
    }
    file.Close();
}

int RunHelper(const KindCase& kind, const std::string& paramPath, const testutil::Environment& env)
{
    testutil::RunOptions options;
    options.environment = env;
    return testutil::runProgram(kind.helper, {paramPath}, options);
}

int RunDemo(const std::vector<std::string>& args, std::string* errorText)
{
    testutil::RunOptions options;
    options.err = errorText;
    return testutil::runProgram(VELLORAN_DEMO_DB, args, options);
}

int Table::Column(const std::string& name) const
{
    for (std::size_t i = 0; i < columns.size(); ++i)
        if (columns[i] == name)
            return static_cast<int>(i) + 1;
    return -1;
}

namespace {

std::string Hex(const void* data, std::size_t size)
{
    static const char digits[] = "0123456789abcdef";
    std::string out;
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < size; ++i) {
        out += digits[bytes[i] >> 4];
        out += digits[bytes[i] & 15];
    }
    return out;
}

std::string Value(sqlite3_stmt* stmt, int column)
{
    switch (sqlite3_column_type(stmt, column)) {
    case SQLITE_INTEGER:
        return "i:" + std::to_string(sqlite3_column_int64(stmt, column));
    case SQLITE_FLOAT: {
        const double value = sqlite3_column_double(stmt, column);
        return "f:" + Hex(&value, sizeof(value));
    }
    case SQLITE_TEXT: {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
        return "t:" + std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(stmt, column)));
    }
    case SQLITE_BLOB:
        return "b:" +
               Hex(sqlite3_column_blob(stmt, column), static_cast<std::size_t>(sqlite3_column_bytes(stmt, column)));
    default:
        return "n";
    }
}

class Db
{
public:
    explicit Db(const std::string& path)
    {
        if (sqlite3_open_v2(path.c_str(), &m_db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
            throw std::runtime_error("cannot open " + path);
    }
    ~Db() { sqlite3_close_v2(m_db); }
    sqlite3* get() const { return m_db; }

private:
    sqlite3* m_db = nullptr;
};

Table Query(sqlite3* db, const std::string& sql)
{
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK)
        throw std::runtime_error(std::string("bad query ") + sql + ": " + sqlite3_errmsg(db));
    Table table;
    const int n = sqlite3_column_count(stmt);
    for (int i = 1; i < n; ++i)
        table.columns.push_back(sqlite3_column_name(stmt, i));
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        Row row;
        for (int i = 0; i < n; ++i)
            row.push_back(Value(stmt, i));
        table.rows.push_back(std::move(row));
    }
    sqlite3_finalize(stmt);
    return table;
}

} // namespace

Table ReadTable(const std::string& dbPath, const std::string& table, const std::string& where)
{
    Db db(dbPath);
    return Query(db.get(), "SELECT rowid, * FROM \"" + table + "\" " + where + " ORDER BY rowid");
}

std::string DumpDatabase(const std::string& dbPath)
{
    Db db(dbPath);
    const Table names = Query(db.get(), "SELECT rowid, name FROM sqlite_schema WHERE type = 'table' ORDER BY name");
    std::string dump;
    for (const Row& name : names.rows) {
        const std::string table = TextOf(name[1]);
        const Table rows = Query(db.get(), "SELECT rowid, * FROM \"" + table + "\" ORDER BY rowid");
        dump += "[" + table + "]";
        for (const std::string& column : rows.columns)
            dump += " " + column;
        dump += "\n";
        for (const Row& row : rows.rows) {
            for (const std::string& value : row)
                dump += value + "\x1f";
            dump += "\n";
        }
    }
    return dump;
}

std::string TextOf(const std::string& value)
{
    return value.rfind("t:", 0) == 0 ? value.substr(2) : std::string();
}

namespace {

std::size_t RecordBytes(const KindCase& kind, const std::vector<unsigned char>& record)
{
    const FieldTable& table = kind.fields();
    std::size_t bytes = 0;
    for (std::size_t i = 0; i < table.count; ++i) {
        const FieldDesc& f = table.fields[i];
        if (f.type == FieldType::Date)
            bytes += 8;
        else if (f.type == FieldType::Text)
            bytes += 4 + std::strlen(RecordText(record.data(), f));
        else
            bytes += 4;
    }
    return bytes;
}

} // namespace

bool ReadDataFile(const std::string& path, const KindCase& kind, std::vector<std::vector<unsigned char>>& records)
{
    records.clear();
    CxFile file;
    if (!file.Open(path.c_str(), "rb"))
        return false;
    std::int32_t count = 0;
    if (!file.ReadInt(&count) || count < 0)
        return false;
    std::size_t bytes = 4;
    for (std::int32_t i = 0; i < count; ++i) {
        std::vector<unsigned char> record(kind.recordSize, 0);
        // The texts of the records stay for the rest of the test program.
        static CxTextArena texts;
        if (!ReadFields(file, kind.fields(), record.data(), texts))
            return false;
        bytes += RecordBytes(kind, record);
        records.push_back(std::move(record));
    }
    file.Close();
    return CxFile::GetFileSize(path.c_str()) == static_cast<long long>(bytes);
}

bool WriteDataFile(const std::string& path, const KindCase& kind,
                   const std::vector<std::vector<unsigned char>>& records)
{
    CxFile file;
    if (!file.Open(path.c_str(), "wb"))
        return false;
    bool ok = file.WriteInt(static_cast<std::int32_t>(records.size()));
    for (const auto& record : records)
        ok = ok && WriteFields(file, kind.fields(), record.data());
    file.Close();
    return ok;
}

const FieldDesc* Field(const KindCase& kind, const char* name)
{
    const FieldTable& table = kind.fields();
    for (std::size_t i = 0; i < table.count; ++i)
        if (std::strcmp(table.fields[i].name, name) == 0)
            return &table.fields[i];
    throw std::runtime_error(std::string("no field ") + name);
}

std::string FieldText(const KindCase& kind, const std::vector<unsigned char>& record, const char* name)
{
    return RecordText(record.data(), *Field(kind, name));
}

std::int32_t FieldInt(const KindCase& kind, const std::vector<unsigned char>& record, const char* name)
{
    std::int32_t value = 0;
    std::memcpy(&value, record.data() + Field(kind, name)->offset, sizeof(value));
    return value;
}

void SetFieldInt(const KindCase& kind, std::vector<unsigned char>& record, const char* name, std::int32_t value)
{
    std::memcpy(record.data() + Field(kind, name)->offset, &value, sizeof(value));
}

void SetFieldText(const KindCase& kind, std::vector<unsigned char>& record, const char* name, const std::string& text)
{
    const FieldDesc* f = Field(kind, name);
    SetRecordText(record.data(), *f, testutil::keep(text.substr(0, f->size - 1)));
}

namespace {

CxIniUtil IniAt(const std::string& path)
{
    const std::size_t slash = path.find_last_of("/\\");
    return CxIniUtil(path.substr(0, slash + 1).c_str(), path.substr(slash + 1).c_str());
}

} // namespace

std::string IniValue(const std::string& path, const char* section, const char* key, const char* fallback)
{
    char value[2048] = {};
    IniAt(path).ReadString(section, key, value, sizeof(value), fallback);
    return value;
}

bool WriteIniValue(const std::string& path, const char* section, const char* key, const char* value)
{
    return IniAt(path).WriteString(section, key, value);
}

} // namespace helpertest
