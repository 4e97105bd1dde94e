#pragma once

#include "ACT/ACTRecords.h"
#include "ACT/CommMgr.h"
#include "ACT/CxACTBaseUtil.h"
#include "misc/CxChunkStore.h"
#include "misc/CxFile.h"
#include "misc/CxTextArena.h"

#include <cstdint>
#include <string>

// The moments at which a data utility writes to the debug log. Each kind logs them with its own texts
// from its own source file, and leaves out the ones it does not log.
enum class ACTLogEvent
{
    LoadStart,
    LoadSuccess,
    LoadFailure,
    SubmitStart,
    SubmitNothingPending,
    SubmitWriteFailed,
    ReadStart,      // text: file name
    ReadOpenFailed, // text: full path
    ReadCount,      // number: record count
    ReadDone,
    ReadFailed, // text: full path; detail: which record and why
    WriteStart, // text: file name
    WriteOpenFailed,
    WriteCount,
    WriteDone,
    WriteFailed, // text: full path
};

// The data utility of one record kind: its records, their grouping manager and its data file. The records
// are stored in chunks and their texts in the utility's text arena, so that reading a data file allocates
// a block now and then instead of once per record.
//
// Kind supplies: Record (the record type), kInfo (ACTKindInfo), kLogBeforeClear (Load logs its start
// before clearing), kWriteCountBeforeLog (WriteDataFile writes the count before logging it) and
// Log(event, text, number, detail).
template <class Kind> class CxACTRecordUtil : public CxACTBaseUtil
{
public:
    using Record = typename Kind::Record;
    using Entry = CommEntry<Record>;
    using Manager = CommEntryMgr<Entry>;

    ~CxACTRecordUtil() override;

    // Runs the helper in load mode and reads the records it delivers. False when no complete data file
    // came back; no record is loaded then.
    bool Load() override;
    // Releases every record and empties the manager; no file is touched.
    bool Clear() override;
    // Writes every record back, those to delete marked, and runs the helper in submit mode. Nothing to do
    // when nothing was marked since the last submit. False when the data file cannot be written.
    bool Submit() override;

    Manager* GetManager() { return &m_manager; }

    // A missing or empty name means DataFileName. A file that ends inside a record, or holds fewer
    // records than its count, fails the read and leaves no record loaded.
    bool ReadDataFile(const char* fileName = nullptr);
    bool WriteDataFile(const char* fileName = nullptr);
    // One record in the file's layout; false for a missing record, no open file or a short read or write.
    bool ReadRecord(Record* record);
    bool WriteRecord(const Record* record);
    // Stores a copy, with copies of its texts, at the end of the record list and returns it; null when out
    // of memory.
    Record* AppendRecord(const Record* record);
    // Asks the helper to delete the entry's record at the next submit. False for a missing entry.
    bool MarkForDeletion(Entry* entry);

    std::uint32_t GetRecordCount() const { return static_cast<std::uint32_t>(m_records.Count()); }

protected:
    CxACTRecordUtil();

private:
    bool FailRead(const std::string& path, const char* why);
    void ReleaseRecords();

    Manager m_manager;
    CxFile m_file;
    CxChunkStore<Record> m_records;
    CxTextArena m_texts;
};
