#include "core/RestoreCsv.h"

#include "core/DateText.h"
#include "core/RecordWords.h"
#include "platform/SaveFile.h"

#include "ACT/ACTRecords.h"

#include <charconv>
#include <cstdio>
#include <cstring>

namespace {

using F = RestoreForm;

// The labels of the viewers and the comparison pane. A run of fields the viewers join (the street lines,
// a number and its extension) gets a column each, named as the secondary contact's rows name them.
const RestoreColumn kContactColumns[] = {
    {"RecordID", "Record ID", F::Stored},
    {"RecordCreator", "Record Creator", F::Stored},
    {"LastEditedBy", "Last Edited By", F::Stored},
    {"RecordManager", "Record Manager", F::Stored},
    {"Category", "ID/Status", F::Stored},
    {"NamePrefix", "Name Prefix", F::Stored},
    {"NameSuffix", "Name Suffix", F::Stored},
    {"FirstName", "First Name", F::Stored},
    {"MiddleName", "Middle Name", F::Stored},
    {"LastName", "Last Name", F::Stored},
    {"FullName", "Name", F::Stored},
    {"Salutation", "Salutation", F::Stored},
    {"ReferredBy", "Referred By", F::Stored},
    {"Company", "Company", F::Stored},
    {"Department", "Department", F::Stored},
    {"Title", "Job Title", F::Stored},
    {"BusinessCountry", "Work Country", F::Stored},
    {"BusinessState", "Work State", F::Stored},
    {"BusinessCity", "Work City", F::Stored},
    {"BusinessAddress1", "Work Address (line 1)", F::Stored},
    {"BusinessAddress2", "Work Address (line 2)", F::Stored},
    {"BusinessAddress3", "Work Address (line 3)", F::Stored},
    {"BusinessPostal", "Work Postal", F::Stored},
    {"HomeCountry", "Home Country", F::Stored},
    {"HomeState", "Home State", F::Stored},
    {"HomeCity", "Home City", F::Stored},
    {"HomeAddress1", "Home Address (line 1)", F::Stored},
    {"HomeAddress2", "Home Address (line 2)", F::Stored},
    {"HomeAddress3", "Home Address (line 3)", F::Stored},
    {"HomePostal", "Home Postal", F::Stored},
    {"BusinessPhone", "Work Phone", F::Stored},
    {"HomePhone", "Home Phone", F::Stored},
    {"MobilePhone", "Mobile Phone", F::Stored},
    {"Pager", "Pager", F::Stored},
    {"Fax", "Fax", F::Stored},
    {"AlternatePhone", "Alternate Phone", F::Stored},
    {"FaxExtension", "Fax Extension", F::Stored},
    {"PagerExtension", "Pager Extension", F::Stored},
    {"BusinessPhoneExtension", "Work Phone Extension", F::Stored},
    {"HomePhoneExtension", "Home Phone Extension", F::Stored},
    {"MobilePhoneExtension", "Mobile Phone Extension", F::Stored},
    {"AlternatePhoneExtension", "Alternate Phone Extension", F::Stored},
    {"BusinessEmail", "Work Email", F::Stored},
    {"PersonalEmail", "Personal Email", F::Stored},
    {"Website", "Website", F::Stored},
    {"InstantMessenger", "Messenger ID", F::Stored},
    {"SpouseName", "Spouse", F::Stored},
    {"UserDefined1", "Custom Field 1", F::Stored},
    {"UserDefined2", "Custom Field 2", F::Stored},
    {"UserDefined3", "Custom Field 3", F::Stored},
    {"UserDefined4", "Custom Field 4", F::Stored},
    {"UserDefined5", "Custom Field 5", F::Stored},
    {"UserDefined6", "Custom Field 6", F::Stored},
    {"UserDefined7", "Custom Field 7", F::Stored},
    {"UserDefined8", "Custom Field 8", F::Stored},
    {"UserDefined9", "Custom Field 9", F::Stored},
    {"UserDefined10", "Custom Field 10", F::Stored},
    {"LastResults", "Last Results", F::Stored},
    {"IsUser", "Is User", F::Stored},
    {"IsImported", "Is Imported", F::Stored},
    {"IsPrivate", "Is Private", F::Stored},
    {"Birthday", "Birthday", F::Stored},
    {"CreateDate", "Create Time", F::Stored},
    {"EditDate", "Edit Time", F::Stored},
    {"LastAttempt", "Last Attempt Time", F::Stored},
    {"LastEmail", "Last Email Time", F::Stored},
    {"LastMeeting", "Last Meet Time", F::Stored},
    {"LastReach", "Last Reach Time", F::Stored},
    {"LastLetter", "Last Letter Time", F::Stored},
    {"SecondaryFirstName", "Secondary First Name", F::Stored},
    {"SecondaryLastName", "Secondary Last Name", F::Stored},
    {"SecondaryContact", "Secondary Contact", F::Stored},
    {"SecondaryCompany", "Secondary Company", F::Stored},
    {"SecondaryTitle", "Secondary Job Title", F::Stored},
    {"SecondaryCountry", "Secondary Country", F::Stored},
    {"SecondaryState", "Secondary State", F::Stored},
    {"SecondaryCity", "Secondary City", F::Stored},
    {"SecondaryAddress1", "Secondary Address (line 1)", F::Stored},
    {"SecondaryAddress2", "Secondary Address (line 2)", F::Stored},
    {"SecondaryAddress3", "Secondary Address (line 3)", F::Stored},
    {"SecondaryPostal", "Secondary Postal", F::Stored},
    {"SecondaryPhone", "Secondary Work Phone", F::Stored},
    {"SecondaryMobilePhone", "Secondary Mobile Phone", F::Stored},
    {"SecondaryFax", "Secondary Fax", F::Stored},
    {"SecondaryPhoneExtension", "Secondary Work Phone Extension", F::Stored},
    {"SecondaryEmail", "Secondary Email", F::Stored},
    {"SecondaryWebsite", "Secondary Website", F::Stored},
    {"SecondaryCategory", "Secondary ID/Status", F::Stored},
    {"SecondaryIsPrivate", "Secondary Is Private", F::Stored},
};

// The viewer shows the start as a date and a time; the column holds both, as the end's does.
const RestoreColumn kCalendarColumns[] = {
    {"RecordID", "Record ID", F::Stored},
    {"Regarding", "Description", F::Stored},
    {"Location", "Location", F::Stored},
    {"Details", "Notes", F::Stored},
    {"EventType", "Event Type", F::EventType},
    {"StartTime", "Start time", F::Stored},
    {"EndTime", "End time", F::Stored},
    {"CreateTime", "Create Time", F::Stored},
    {"EditDate", "Edit Date", F::Stored},
    {"ExtraValue", "Extra Value", F::Stored},
    {"RecurDays", "Recurrence Days", F::RecurDays},
    {"RecurByDate", "Recurrence By", F::RecurByDate},
    {"RecurInterval", "Recurrence Every", F::Stored},
    {"RecurInstance", "Recurrence Instance", F::Stored},
    {"RecurMonth", "Recurrence Month", F::Stored},
    {"RecurType", "Recurrence", F::Recurrence},
    {"RecurEndDate", "Recurrence End", F::RecurEnd},
    {"IsPrivate", "Is Private", F::Stored},
    {"IsTimeless", "All day event", F::Stored},
};

const RestoreColumn kTaskColumns[] = {
    {"RecordID", "Record ID", F::Stored},
    {"Regarding", "Description", F::Stored},
    {"ExtraText", "Extra Text", F::Stored},
    {"Details", "Notes", F::Stored},
    {"CreateTime", "Create Time", F::Stored},
    {"EditDate", "Edit Date", F::Stored},
    {"Priority", "Priority", F::Priority},
    {"ExtraValues1", "Extra Value 1", F::Stored},
    {"ExtraValues2", "Extra Value 2", F::Stored},
    {"ExtraValues3", "Extra Value 3", F::Stored},
    {"ExtraValues4", "Extra Value 4", F::Stored},
    {"ExtraValues5", "Extra Value 5", F::Stored},
    {"ExtraValues6", "Extra Value 6", F::Stored},
    // Kept by the helper in a date's place, but nothing says it is one.
    {"ExtraDouble", "Extra Number", F::Number},
    {"IsPrivate", "Private", F::Stored},
    {"DueDate", "Due Date", F::Stored},
    {"IsCompleted", "Completed", F::Stored},
};

const RestoreColumn kNoteColumns[] = {
    {"RecordID", "Record ID", F::Stored},
    {"CreateUserName", "Create User Name", F::Stored},
    {"EditUserName", "Edit User Name", F::Stored},
    {"ManageUserName", "Manage User Name", F::Stored},
    {"NoteText", "Notes", F::Stored},
    {"Private", "Private", F::Stored},
    {"CreateTime", "Create Time", F::Stored},
    {"EditTime", "Edit Time", F::Stored},
};

template <std::size_t N> constexpr RestoreColumns ColumnsOf(const RestoreColumn (&columns)[N])
{
    return RestoreColumns{columns, N};
}

const RestoreColumns kColumns[kRecordKindCount] = {
    ColumnsOf(kContactColumns),
    ColumnsOf(kCalendarColumns),
    ColumnsOf(kTaskColumns),
    ColumnsOf(kNoteColumns),
};

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kLineEnd = "\r\n";
constexpr const char* kRecordIdField = "RecordID";

std::int32_t IntAt(const char* at)
{
    std::int32_t value = 0;
    std::memcpy(&value, at, sizeof value);
    return value;
}

double DoubleAt(const char* at)
{
    double value = 0;
    std::memcpy(&value, at, sizeof value);
    return value;
}

void AppendInt(std::string& line, std::int32_t value)
{
    char number[16];
    std::snprintf(number, sizeof number, "%d", value);
    line += number;
}

// The shortest text that reads back as the same double.
void AppendNumber(std::string& line, double value)
{
    char number[32];
    const auto end = std::to_chars(number, number + sizeof number, value).ptr;
    line.append(number, end);
}

// The word of a code, or the code itself where it has none.
void AppendWord(std::string& line, const char* word, std::int32_t code)
{
    if (word)
        line += word;
    else
        AppendInt(line, code);
}

// Monday first, as a week reads; a mask with bits beyond the seven days keeps its number.
void AppendWeekdays(std::string& line, std::int32_t days)
{
    if ((days & ~recordwords::kWeekdayBits) != 0) {
        AppendInt(line, days);
        return;
    }
    // Within a quoted field: the list holds commas.
    std::string list;
    for (int i = 1; i <= 7; ++i) {
        const int bit = i % 7;
        if ((days >> bit) & 1) {
            if (!list.empty())
                list += ", ";
            list += recordwords::Weekday(bit);
        }
    }
    line += CsvField(list);
}

void AppendStored(std::string& line, const char* at, const void* record, const FieldDesc& field)
{
    switch (field.type) {
    case FieldType::Int:
        AppendInt(line, IntAt(at));
        return;
    case FieldType::Bool:
        line += recordwords::YesNo(*reinterpret_cast<const bool*>(at));
        return;
    case FieldType::Date:
        line += IsoDateText(DoubleAt(at));
        return;
    case FieldType::Text:
        line += CsvField(StoredTextUtf8(RecordText(record, field)));
        return;
    }
}

void AppendValue(std::string& line, const void* record, const FieldDesc& field, RestoreForm form)
{
    const char* at = static_cast<const char*>(record) + field.offset;
    // The recurrence's days and by-date codes mean what the recurrence type says they mean.
    const auto recurType = [record] { return static_cast<const CalendarRecord*>(record)->RecurType; };
    switch (form) {
    case F::Stored:
        AppendStored(line, at, record, field);
        return;
    case F::Number:
        AppendNumber(line, DoubleAt(at));
        return;
    case F::Priority:
        AppendWord(line, recordwords::Priority(IntAt(at)), IntAt(at));
        return;
    case F::EventType:
        AppendWord(line, recordwords::EventType(IntAt(at)), IntAt(at));
        return;
    case F::Recurrence:
        AppendWord(line, recordwords::Recurrence(IntAt(at)), IntAt(at));
        return;
    case F::RecurDays:
        if (recurType() == recordwords::RecurWeekly)
            AppendWeekdays(line, IntAt(at));
        else
            AppendInt(line, IntAt(at));
        return;
    case F::RecurByDate: {
        const std::int32_t code = IntAt(at);
        const bool byMonth = recurType() == recordwords::RecurMonthly || recurType() == recordwords::RecurYearly;
        if (byMonth && code == recordwords::kRecurByDate)
            line += "Date";
        else if (byMonth && code == 0)
            line += "Day";
        else
            AppendInt(line, code);
        return;
    }
    case F::RecurEnd:
        if (DoubleAt(at) > recordwords::kNoRecurEnd)
            line += IsoDateText(DoubleAt(at));
        return;
    }
}

struct Column
{
    const FieldDesc* field;
    const char* label;
    RestoreForm form;
};

// The file's columns: Record ID first, then the kind's other stored fields in file order. A field the
// label table misses still gets its column, under its own name, so that no value is left out.
std::vector<Column> ColumnsOfFile(RecordKind kind, const FieldTable& table)
{
    std::vector<Column> columns;
    for (std::size_t i = 0; i < table.count; ++i) {
        const FieldDesc& field = table.fields[i];
        if (IsHeaderWord(field))
            continue;
        const RestoreColumn* known = RestoreColumnOf(kind, field.name);
        const Column column{&field, known ? known->label : field.name, known ? known->form : F::Stored};
        if (std::strcmp(field.name, kRecordIdField) == 0)
            columns.insert(columns.begin(), column);
        else
            columns.push_back(column);
    }
    return columns;
}

} // namespace

const RestoreColumns& RestoreColumnsOf(RecordKind kind)
{
    return kColumns[KindIndex(kind)];
}

const RestoreColumn* RestoreColumnOf(RecordKind kind, std::string_view field)
{
    const RestoreColumns& columns = RestoreColumnsOf(kind);
    for (std::size_t i = 0; i < columns.count; ++i)
        if (field == columns.columns[i].field)
            return &columns.columns[i];
    return nullptr;
}

bool WriteRestoreCsv(const std::string& path, const BackupKind& kind)
{
    const std::optional<RecordKind> recordKind = KindOfWord(kind.kindWord);
    if (!recordKind)
        return false;
    const std::vector<Column> columns = ColumnsOfFile(*recordKind, *kind.fields);

    platform::SaveFile file(path);
    if (!file.Open())
        return false;
    std::string line(kByteOrderMark);
    for (const Column& column : columns) {
        if (line.size() > kByteOrderMark.size())
            line += ',';
        line += CsvField(column.label);
    }
    line += kLineEnd;
    file.Write(line);

    for (const BackupRecord& entry : kind.records) {
        line.clear();
        for (const Column& column : columns) {
            if (&column != &columns.front())
                line += ',';
            AppendValue(line, entry.record, *column.field, column.form);
        }
        line += kLineEnd;
        file.Write(line);
    }
    return file.Commit();
}
