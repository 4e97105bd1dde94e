#pragma once

// The file of one kind's records in a backup: what a user opens in a spreadsheet, or imports back into the
// CRM to restore what was deleted. UTF-8 with a byte-order mark and CR LF line ends, so that a spreadsheet
// on Windows reads the letters beyond ASCII and the lines right; a first column "Record ID", then every
// stored field of the kind under the name our windows give it (a field no window shows has a plain English
// name), coded values as the words the windows show, booleans "Yes" or "No", dates in ISO 8601, a
// recurrence without end empty. Every other value is written exactly as stored, untrimmed: a restore must
// bring back what was there, so a value the windows have no word for keeps its number.

#include "core/DeletionBackup.h"
#include "core/RecordKinds.h"

#include <cstddef>
#include <string>
#include <string_view>

// How a column writes its field's value.
enum class RestoreForm
{
    Stored,      // texts and numbers as stored, booleans "Yes"/"No", dates in ISO 8601
    Number,      // a double that is no date, in the shortest form that reads back the same
    Priority,    // "High", "Normal", "Low"
    EventType,   // "Appointment", "Meeting", "Call", "Todo"
    Recurrence,  // "None", "Daily", "Weekly", "Monthly", "Yearly"
    RecurDays,   // of a weekly event, its weekdays Monday first: "Monday, Wednesday"
    RecurByDate, // of a monthly or yearly event, "Date" or "Day"
    RecurEnd,    // a date, or empty for a recurrence without end
};

struct RestoreColumn
{
    const char* field; // the field's name in the kind's FieldTable
    const char* label; // the column's name
    RestoreForm form;
};

struct RestoreColumns
{
    const RestoreColumn* columns;
    std::size_t count;
};

// The column of every stored field of the kind, keyed by the field's name.
const RestoreColumns& RestoreColumnsOf(RecordKind kind);
// Null when the kind has no column for that field.
const RestoreColumn* RestoreColumnOf(RecordKind kind, std::string_view field);

// Writes the file of the kind's records at `path`, in their order, whole or not at all; false when it
// cannot, or when the kind's word names no kind.
bool WriteRestoreCsv(const std::string& path, const BackupKind& kind);
