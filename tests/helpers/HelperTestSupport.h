#pragma once

// Running the stand-in helpers and the demo tool as processes, and looking into their databases
// without their code.

#include "ACT/ACTRecords.h"
#include "TestUtil.h"

#include <cstddef>
#include <string>
#include <vector>

namespace helpertest {

struct KindCase
{
    const char* name;  // for test names
    const char* tag;   // Addr, Date, Task, Note
    const char* table; // the database table
    const char* noun;  // as in the progress line
    const char* helper;
    const FieldTable& (*fields)();
    std::size_t recordSize;
};

extern const KindCase kKinds[4];

struct Param
{
    int id;
    std::string value;
};

// Count, then identifier, type 8 and text per entry.
void WriteParamFile(const std::string& path, const std::vector<Param>& params);

// Runs a helper on a parameter file with `env` added to its environment: its exit code, -1 when it did
// not exit of itself.
int RunHelper(const KindCase& kind, const std::string& paramPath, const testutil::Environment& env = {});
// Runs the demo tool; its standard error goes to `errorText` when given.
int RunDemo(const std::vector<std::string>& args, std::string* errorText = nullptr);

// One row as typed values (rowid first): "i:<n>", "f:<hex bits>", "t:<bytes>", "b:<hex>", "n".
using Row = std::vector<std::string>;

struct Table
{
    std::vector<std::string> columns; // without rowid
    std::vector<Row> rows;
    int Column(const std::string& name) const; // index into a row (rowid counted), -1 when missing
};

// Every row in rowid order; a WHERE clause may follow the table name.
Table ReadTable(const std::string& dbPath, const std::string& table, const std::string& where = std::string());
// Every table in name order, every row in rowid order, as one text.
std::string DumpDatabase(const std::string& dbPath);

// Text of a "t:" value.
std::string TextOf(const std::string& value);

// Reads a data file into raw records; false when it does not hold exactly `count` whole records.
bool ReadDataFile(const std::string& path, const KindCase& kind, std::vector<std::vector<unsigned char>>& records);
bool WriteDataFile(const std::string& path, const KindCase& kind,
                   const std::vector<std::vector<unsigned char>>& records);

// Field access on a raw record.
const FieldDesc* Field(const KindCase& kind, const char* name);
std::string FieldText(const KindCase& kind, const std::vector<unsigned char>& record, const char* name);
std::int32_t FieldInt(const KindCase& kind, const std::vector<unsigned char>& record, const char* name);
void SetFieldInt(const KindCase& kind, std::vector<unsigned char>& record, const char* name, std::int32_t value);
void SetFieldText(const KindCase& kind, std::vector<unsigned char>& record, const char* name, const std::string& text);

// Reads one key of an INI file; `fallback` when it is missing.
std::string IniValue(const std::string& path, const char* section, const char* key, const char* fallback = "");
bool WriteIniValue(const std::string& path, const char* section, const char* key, const char* value);

} // namespace helpertest
