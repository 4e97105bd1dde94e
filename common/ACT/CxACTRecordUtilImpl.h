#pragma once

// The shared flow of the four data utilities. Included only by the source file of each kind, which
// instantiates it for its own kind.

#include "ACT/CxACTRecordUtil.h"

#include "ACT/CxACTParamParser.h"

#include "platform/Platform.h"

#include <cstdio>
#include <new>
#include <string>

template <class Kind> CxACTRecordUtil<Kind>::CxACTRecordUtil() : CxACTBaseUtil(Kind::kInfo) {}

template <class Kind> CxACTRecordUtil<Kind>::~CxACTRecordUtil()
{
    ReleaseRecords();
}

template <class Kind> bool CxACTRecordUtil<Kind>::Load()
{
    if (Kind::kLogBeforeClear) {
        Kind::Log(ACTLogEvent::LoadStart);
        Clear();
    } else {
        Clear();
        Kind::Log(ACTLogEvent::LoadStart);
    }
    RunMode = RUN_MODE_LOAD;
    // A helper that fails must not leave an older file (of this or another database) to be read as its
    // result.
    platform::removeFile(DataFilePath(nullptr));
    const bool ran = RunHelper();
    const std::string runFailure = GetFailureText();
    // A killed helper's data file may be whole and still not be its result (the database may have
    // changed under it, or it was killed while putting the file in place): it is not read.
    const bool loaded = !HelperWasKilled() && ReadDataFile(nullptr);
    Kind::Log(loaded ? ACTLogEvent::LoadSuccess : ACTLogEvent::LoadFailure);
    // A helper's complaint that still came with a whole data file does not fail the load.
    if (loaded)
        SetFailure(std::string());
    else if (!ran)
        SetFailure(runFailure);
    return loaded;
}

template <class Kind> bool CxACTRecordUtil<Kind>::Clear()
{
    ReleaseRecords();
    return true;
}

template <class Kind> bool CxACTRecordUtil<Kind>::Submit()
{
    Kind::Log(ACTLogEvent::SubmitStart);
    if (!ChangesPending) {
        Kind::Log(ACTLogEvent::SubmitNothingPending);
        return true;
    }
    if (!WriteDataFile(nullptr)) {
        Kind::Log(ACTLogEvent::SubmitWriteFailed);
        SetFailure("The data file " + DataFilePath(nullptr) + " cannot be written; nothing was handed to the helper.");
        return false;
    }
    RunMode = RUN_MODE_SUBMIT;
    // A refused or unfinished submit leaves its marks pending: nothing may count as deleted.
    if (!RunHelper())
        return false;
    ChangesPending = false;
    return true;
}

template <class Kind> bool CxACTRecordUtil<Kind>::ReadDataFile(const char* fileName)
{
    const char* name = fileName && *fileName ? fileName : DataFileName;
    Kind::Log(ACTLogEvent::ReadStart, name);
    const std::string path = DataFilePath(name);
    if (!m_file.Open(path.c_str(), "rb")) {
        Kind::Log(ACTLogEvent::ReadOpenFailed, path.c_str());
        SetFailure("The helper delivered no data file (" + path + ").");
        return false;
    }
    std::int32_t storedCount = 0;
    if (!m_file.ReadInt(&storedCount))
        return FailRead(path, "the file ends inside the record count");
    Kind::Log(ACTLogEvent::ReadCount, nullptr, storedCount);

    const auto count = static_cast<std::uint32_t>(storedCount);
    for (std::uint32_t i = 0; i < count; ++i) {
        const char* problem = nullptr;
        try {
            // Read in place: the fixed part into its chunk, the texts into the arena.
            Record* record = m_records.Add();
            if (ReadRecord(record)) {
                const Entry entry{record, 0};
                record->pEntry = m_manager.AddEntry(&entry);
            } else {
                problem = "the file ends before the record is complete";
            }
        } catch (const std::bad_alloc&) {
            problem = "out of memory";
        }
        if (problem) {
            char why[128];
            std::snprintf(why, sizeof(why), "record %u of %u: %s", i + 1, count, problem);
            return FailRead(path, why);
        }
    }
    m_file.Close();
    m_records.ReleaseUnused();
    m_texts.ReleaseUnused();
    m_manager.ReleaseUnused();
    Kind::Log(ACTLogEvent::ReadDone);
    return true;
}

template <class Kind> bool CxACTRecordUtil<Kind>::FailRead(const std::string& path, const char* why)
{
    m_file.Close();
    ReleaseRecords();
    Kind::Log(ACTLogEvent::ReadFailed, path.c_str(), 0, why);
    SetFailure("The data file " + path + " cannot be read: " + why + ".");
    return false;
}

template <class Kind> bool CxACTRecordUtil<Kind>::WriteDataFile(const char* fileName)
{
    const char* name = fileName && *fileName ? fileName : DataFileName;
    Kind::Log(ACTLogEvent::WriteStart, name);
    const std::string path = DataFilePath(name);
    if (!m_file.Open(path.c_str(), "wb")) {
        Kind::Log(ACTLogEvent::WriteOpenFailed, path.c_str());
        return false;
    }
    const auto count = static_cast<std::uint32_t>(m_records.Count());
    bool written = true;
    if (Kind::kWriteCountBeforeLog) {
        written = m_file.WriteInt(static_cast<std::int32_t>(count));
        Kind::Log(ACTLogEvent::WriteCount, nullptr, static_cast<int>(count));
    } else {
        Kind::Log(ACTLogEvent::WriteCount, nullptr, static_cast<int>(count));
        written = m_file.WriteInt(static_cast<std::int32_t>(count));
    }
    written = written && m_records.ForEach([this](const Record& record) { return WriteRecord(&record); });
    // A file the helper would read only in part must not go on to a submit: it never takes the place of
    // the file that was there.
    if (written)
        written = m_file.Close();
    else
        m_file.Abandon();
    if (!written) {
        Kind::Log(ACTLogEvent::WriteFailed, path.c_str());
        return false;
    }
    Kind::Log(ACTLogEvent::WriteDone);
    return true;
}

template <class Kind> bool CxACTRecordUtil<Kind>::ReadRecord(Record* record)
{
    return record && m_file.IsOpen() && ReadFields(m_file, FieldsOf<Record>(), record, m_texts);
}

template <class Kind> bool CxACTRecordUtil<Kind>::WriteRecord(const Record* record)
{
    return record && m_file.IsOpen() && WriteFields(m_file, FieldsOf<Record>(), record);
}

template <class Kind> typename CxACTRecordUtil<Kind>::Record* CxACTRecordUtil<Kind>::AppendRecord(const Record* record)
{
    if (!record)
        return nullptr;
    try {
        // The texts first: a record whose texts could not be copied must not be listed with its giver's.
        Record copy = *record;
        StoreTexts(FieldsOf<Record>(), &copy, m_texts);
        Record* stored = m_records.Add();
        *stored = copy;
        return stored;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

template <class Kind> bool CxACTRecordUtil<Kind>::MarkForDeletion(Entry* entry)
{
    if (!entry)
        return false;
    if (entry->pPayload) {
        entry->pPayload->Action = ACTION_DELETE;
        ChangesPending = true;
    }
    return true;
}

template <class Kind> void CxACTRecordUtil<Kind>::ReleaseRecords()
{
    m_manager.RemoveAllEntries();
    m_records.Clear();
    m_texts.Clear();
}
