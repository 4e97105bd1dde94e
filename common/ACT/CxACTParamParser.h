#pragma once

#include "misc/CxList.h"

#include <cstdint>
#include <string>

// Entry identifiers of the helper parameter file.
enum ACTParamId : std::int32_t
{
    PARAM_PAD_NAME = 1000,
    PARAM_USER_NAME = 1001,
    PARAM_PASSWORD = 1002,
    PARAM_DATA_FILE = 1003,
    PARAM_WORK_FOLDER = 1004,
    PARAM_RUN_MODE = 1005,
    PARAM_ERROR_FILE = 1006,
    PARAM_STATUS_FILE = 1007,
    PARAM_OPP = 1008,
    PARAM_OPP_NOTES = 1009,
    PARAM_DEBUG_FOLDER = 1012,
    PARAM_RESERVED = 1013,
    PARAM_LOG_LEVEL = 1014,
    PARAM_DEBUG_ENABLED = 1015,
};

// Type code of a text entry (the VARIANT numbering's VT_BSTR); the only type the program writes.
constexpr std::int32_t PARAM_TYPE_TEXT = 8;

// Run modes of parameter 1005.
constexpr std::int32_t RUN_MODE_LOAD = 1;
constexpr std::int32_t RUN_MODE_SUBMIT = 2;

struct ParamEntry
{
    std::int32_t Id;
    std::int32_t Type;
    std::string Value; // single-byte text, at most kMaxValue characters
};

// Collects the entries of one helper run and writes the binary parameter file: a 32-bit count, then
// per entry its identifier, type and value as a length-prefixed text, in the order first set.
class CxACTParamParser
{
public:
    static constexpr std::size_t kMaxValue = 1023;

    // A path of more than 259 characters is refused, never cut: the parser then holds no path.
    explicit CxACTParamParser(const char* path = nullptr);
    ~CxACTParamParser();
    CxACTParamParser(const CxACTParamParser&) = delete;
    CxACTParamParser& operator=(const CxACTParamParser&) = delete;

    // Replaces the value of an entry of the same identifier and type in place, or appends a new entry.
    // False, nothing changed, for a missing value or an existing entry of another type.
    bool SetParam(std::int32_t id, std::int32_t type, const char* value);
    // The first entry with the identifier, or null.
    ParamEntry* FindParam(std::int32_t id);
    std::uint32_t GetCount() const { return m_entries.GetCount(); }
    const char* GetPath() const { return m_szPath; }

    // A non-empty path replaces the stored one. The file holds the password, so it is created readable
    // by its owner only. False when it cannot be written whole (the file that was there stays then), or
    // when the path is longer than 259 characters (logged at level 0; nothing is written).
    bool WriteParamFile(const char* path = nullptr);
    void ClearParams();

private:
    bool StorePath(const char* path);

    char m_szPath[260];
    CxList m_entries;
};
