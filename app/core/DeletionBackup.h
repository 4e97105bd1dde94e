#pragma once

// The copy of every record a cleaning run is about to delete, written before anything is handed to the
// helpers, in a folder of its own under the user's documents folder (owner-only):
//   deletions.csv   kind,record_id,kept_record_id,outcome,reason: each record, the Record ID of the one
//                   that stays (the first three columns and kind words of velloran-scan --csv), and
//                   what became of it: written with every outcome "unknown" before anything is handed
//                   to the helpers, so that a run that never ends leaves it so, and again once the
//                   outcomes are known;
//   <kind>.csv      every field of each record, what a user imports back into the CRM (RestoreCsv.h);
//   log.txt         the cleaning page's log, written when the run ends.

#include "ACT/ACTRecords.h"

#include <string>
#include <string_view>
#include <vector>

// One RFC 4180 field: quoted when it holds a comma, a double quote or a line break.
std::string CsvField(std::string_view text);

// A record's text, stored in the system's single-byte encoding, as UTF-8.
std::string StoredTextUtf8(std::string_view text);

// "<documents>/Velloran Backups": the folder of every backup.
std::string BackupRootFolder(const std::string& documentsFolder);

struct BackupRecord
{
    BackupRecord(const void* record, const void* kept, const char* outcome = "unknown", std::string_view reason = {})
        : record(record), kept(kept), outcome(outcome), reason(reason)
    {
    }

    const void* record;
    const void* kept; // the record of its group that stays, or null when none does
    const char* outcome; // deleted, not deleted or unknown
    std::string_view reason; // why it was not deleted, or why nobody knows; UTF-8, as all our own words
};

struct BackupKind
{
    const char* kindWord; // contacts, calendar, tasks, notes: also names the kind's file
    const FieldTable* fields;
    std::vector<BackupRecord> records;
};

class DeletionBackup
{
public:
    // Creates a new folder under `root` named after the local time ("yyyy-MM-dd HH-mm-ss", followed by
    // " (2)", " (3)" ... when that name is taken; an existing folder is never reused), and `root` itself
    // with every missing folder above it. False with a reason in `error`.
    bool Create(const std::string& root, std::string& error);
    // Ends in the separator; empty before Create.
    const std::string& Folder() const { return m_folder; }

    // The CSV of each kind with records, then deletions.csv. False with a reason when any file could not
    // be written whole.
    bool WriteRecords(const std::vector<BackupKind>& kinds, std::string& error) const;
    // deletions.csv alone, replaced whole.
    bool WriteDeletions(const std::vector<BackupKind>& kinds, std::string& error) const;
    bool WriteLog(std::string_view utf8Text, std::string& error) const;

private:
    std::string m_folder;
};
