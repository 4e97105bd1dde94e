#include "ACT/CxACTParamParser.h"

#include "misc/CxDebugUtil.h"
#include "misc/CxFile.h"

#include <cstring>

CxACTParamParser::CxACTParamParser(const char* path) : m_szPath{}
{
    StorePath(path);
}

bool CxACTParamParser::StorePath(const char* path)
{
    const std::size_t length = path ? std::strlen(path) : 0;
    if (length >= sizeof(m_szPath)) {
        // A cut path names another file: it would be replaced, and the helper, handed the full path, would
        // read whatever lies there.
        DEBUG_LOG(0, "The parameter file path is longer than %d characters: %s", static_cast<int>(sizeof(m_szPath) - 1),
                  path);
        m_szPath[0] = '\0';
        return false;
    }
    if (length > 0)
        std::memcpy(m_szPath, path, length);
    m_szPath[length] = '\0';
    return true;
}

CxACTParamParser::~CxACTParamParser()
{
    ClearParams();
}

bool CxACTParamParser::SetParam(std::int32_t id, std::int32_t type, const char* value)
{
    if (!value)
        return false;
    const std::size_t length = ::strnlen(value, kMaxValue);
    if (ParamEntry* entry = FindParam(id)) {
        if (entry->Type != type)
            return false;
        entry->Value.assign(value, length);
        return true;
    }
    auto* entry = new ParamEntry{id, type, std::string(value, length)};
    m_entries.Add(entry);
    return true;
}

ParamEntry* CxACTParamParser::FindParam(std::int32_t id)
{
    for (void* p = m_entries.GetFirst(); p; p = m_entries.GetNext()) {
        auto* entry = static_cast<ParamEntry*>(p);
        if (entry->Id == id)
            return entry;
    }
    return nullptr;
}

bool CxACTParamParser::WriteParamFile(const char* path)
{
    if (path && *path && !StorePath(path))
        return false;
    // Written in place of the old file only once it is whole, readable by its owner alone: it holds the
    // password.
    if (!m_szPath[0])
        return false;

    CxFile file;
    if (!file.Open(m_szPath, "wb"))
        return false;
    bool ok = file.WriteInt(static_cast<std::int32_t>(m_entries.GetCount()));
    for (void* p = m_entries.GetFirst(); p; p = m_entries.GetNext()) {
        const auto* entry = static_cast<const ParamEntry*>(p);
        ok = file.WriteInt(entry->Id) && ok;
        ok = file.WriteInt(entry->Type) && ok;
        ok = file.WriteString(entry->Value.c_str()) && ok;
    }
    if (!ok) {
        file.Abandon();
        return false;
    }
    return file.Close();
}

void CxACTParamParser::ClearParams()
{
    for (void* p = m_entries.GetFirst(); p; p = m_entries.GetNext())
        delete static_cast<ParamEntry*>(p);
    m_entries.RemoveAll(false);
}
