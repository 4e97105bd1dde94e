#include "ACT/ACTRecords.h"

#include "misc/CxFile.h"
#include "misc/CxTextArena.h"

#include <cstring>
#include <iterator>

namespace {

#define TEXT(R, f, capacity) {#f, FieldType::Text, offsetof(R, f), capacity}
#define TEXT_AT(R, f, i, capacity) {#f #i, FieldType::Text, offsetof(R, f) + (i - 1) * sizeof(R::f[0]), capacity}
#define INT(R, f) {#f, FieldType::Int, offsetof(R, f), sizeof(std::int32_t)}
#define INT_AT(R, f, i) {#f #i, FieldType::Int, offsetof(R, f) + (i - 1) * sizeof(std::int32_t), sizeof(std::int32_t)}
#define BOOL(R, f) {#f, FieldType::Bool, offsetof(R, f), sizeof(bool)}
#define DATE(R, f) {#f, FieldType::Date, offsetof(R, f), sizeof(double)}

const FieldDesc kContactFields[] = {
    INT(ContactRecord, Action),
    INT(ContactRecord, HelperValue),
    TEXT(ContactRecord, RecordID, 64),
    TEXT(ContactRecord, RecordCreator, 32),
    TEXT(ContactRecord, LastEditedBy, 32),
    TEXT(ContactRecord, RecordManager, 32),
    TEXT(ContactRecord, Category, 256),
    TEXT(ContactRecord, NamePrefix, 32),
    TEXT(ContactRecord, NameSuffix, 32),
    TEXT(ContactRecord, FirstName, 32),
    TEXT(ContactRecord, MiddleName, 32),
    TEXT(ContactRecord, LastName, 32),
    TEXT(ContactRecord, FullName, 32),
    TEXT(ContactRecord, Salutation, 32),
    TEXT(ContactRecord, ReferredBy, 32),
    TEXT(ContactRecord, Company, 64),
    TEXT(ContactRecord, Department, 32),
    TEXT(ContactRecord, Title, 32),
    TEXT(ContactRecord, BusinessCountry, 32),
    TEXT(ContactRecord, BusinessState, 32),
    TEXT(ContactRecord, BusinessCity, 32),
    TEXT(ContactRecord, BusinessAddress1, 256),
    TEXT(ContactRecord, BusinessAddress2, 256),
    TEXT(ContactRecord, BusinessAddress3, 256),
    TEXT(ContactRecord, BusinessPostal, 16),
    TEXT(ContactRecord, HomeCountry, 32),
    TEXT(ContactRecord, HomeState, 32),
    TEXT(ContactRecord, HomeCity, 32),
    TEXT(ContactRecord, HomeAddress1, 256),
    TEXT(ContactRecord, HomeAddress2, 256),
    TEXT(ContactRecord, HomeAddress3, 256),
    TEXT(ContactRecord, HomePostal, 16),
    TEXT(ContactRecord, BusinessPhone, 24),
    TEXT(ContactRecord, HomePhone, 24),
    TEXT(ContactRecord, MobilePhone, 24),
    TEXT(ContactRecord, Pager, 24),
    TEXT(ContactRecord, Fax, 24),
    TEXT(ContactRecord, AlternatePhone, 24),
    TEXT(ContactRecord, FaxExtension, 24),
    TEXT(ContactRecord, PagerExtension, 24),
    TEXT(ContactRecord, BusinessPhoneExtension, 24),
    TEXT(ContactRecord, HomePhoneExtension, 24),
    TEXT(ContactRecord, MobilePhoneExtension, 24),
    TEXT(ContactRecord, AlternatePhoneExtension, 24),
    TEXT(ContactRecord, BusinessEmail, 64),
    TEXT(ContactRecord, PersonalEmail, 64),
    TEXT(ContactRecord, Website, 256),
    TEXT(ContactRecord, InstantMessenger, 64),
    TEXT(ContactRecord, SpouseName, 32),
    TEXT_AT(ContactRecord, UserDefined, 1, 64),
    TEXT_AT(ContactRecord, UserDefined, 2, 64),
    TEXT_AT(ContactRecord, UserDefined, 3, 64),
    TEXT_AT(ContactRecord, UserDefined, 4, 64),
    TEXT_AT(ContactRecord, UserDefined, 5, 64),
    TEXT_AT(ContactRecord, UserDefined, 6, 64),
    TEXT_AT(ContactRecord, UserDefined, 7, 64),
    TEXT_AT(ContactRecord, UserDefined, 8, 64),
    TEXT_AT(ContactRecord, UserDefined, 9, 64),
    TEXT_AT(ContactRecord, UserDefined, 10, 64),
    TEXT(ContactRecord, LastResults, 64),
    BOOL(ContactRecord, IsUser),
    BOOL(ContactRecord, IsImported),
    BOOL(ContactRecord, IsPrivate),
    DATE(ContactRecord, Birthday),
    DATE(ContactRecord, CreateDate),
    DATE(ContactRecord, EditDate),
    DATE(ContactRecord, LastAttempt),
    DATE(ContactRecord, LastEmail),
    DATE(ContactRecord, LastMeeting),
    DATE(ContactRecord, LastReach),
    DATE(ContactRecord, LastLetter),
    TEXT(ContactRecord, SecondaryFirstName, 32),
    TEXT(ContactRecord, SecondaryLastName, 32),
    TEXT(ContactRecord, SecondaryContact, 32),
    TEXT(ContactRecord, SecondaryCompany, 64),
    TEXT(ContactRecord, SecondaryTitle, 32),
    TEXT(ContactRecord, SecondaryCountry, 32),
    TEXT(ContactRecord, SecondaryState, 32),
    TEXT(ContactRecord, SecondaryCity, 32),
    TEXT(ContactRecord, SecondaryAddress1, 256),
    TEXT(ContactRecord, SecondaryAddress2, 256),
    TEXT(ContactRecord, SecondaryAddress3, 256),
    TEXT(ContactRecord, SecondaryPostal, 16),
    TEXT(ContactRecord, SecondaryPhone, 24),
    TEXT(ContactRecord, SecondaryMobilePhone, 24),
    TEXT(ContactRecord, SecondaryFax, 24),
    TEXT(ContactRecord, SecondaryPhoneExtension, 24),
    TEXT(ContactRecord, SecondaryEmail, 64),
    TEXT(ContactRecord, SecondaryWebsite, 256),
    TEXT(ContactRecord, SecondaryCategory, 256),
    BOOL(ContactRecord, SecondaryIsPrivate),
};
static_assert(std::size(kContactFields) == 2 + 89);

const FieldDesc kCalendarFields[] = {
    INT(CalendarRecord, Action),
    INT(CalendarRecord, HelperValue),
    TEXT(CalendarRecord, RecordID, 64),
    TEXT(CalendarRecord, Regarding, 256),
    TEXT(CalendarRecord, Location, 256),
    TEXT(CalendarRecord, Details, 8192),
    INT(CalendarRecord, EventType),
    DATE(CalendarRecord, StartTime),
    DATE(CalendarRecord, EndTime),
    DATE(CalendarRecord, CreateTime),
    DATE(CalendarRecord, EditDate),
    INT(CalendarRecord, ExtraValue),
    INT(CalendarRecord, RecurDays),
    INT(CalendarRecord, RecurByDate),
    INT(CalendarRecord, RecurInterval),
    INT(CalendarRecord, RecurInstance),
    INT(CalendarRecord, RecurMonth),
    INT(CalendarRecord, RecurType),
    DATE(CalendarRecord, RecurEndDate),
    BOOL(CalendarRecord, IsPrivate),
    BOOL(CalendarRecord, IsTimeless),
};

// The file order of a task differs from its memory order: Is Private comes before the due date and
// Is Completed after it.
const FieldDesc kTaskFields[] = {
    INT(TaskRecord, Action),
    INT(TaskRecord, HelperValue),
    TEXT(TaskRecord, RecordID, 64),
    TEXT(TaskRecord, Regarding, 256),
    TEXT(TaskRecord, ExtraText, 256),
    TEXT(TaskRecord, Details, 8192),
    DATE(TaskRecord, CreateTime),
    DATE(TaskRecord, EditDate),
    INT(TaskRecord, Priority),
    INT_AT(TaskRecord, ExtraValues, 1),
    INT_AT(TaskRecord, ExtraValues, 2),
    INT_AT(TaskRecord, ExtraValues, 3),
    INT_AT(TaskRecord, ExtraValues, 4),
    INT_AT(TaskRecord, ExtraValues, 5),
    INT_AT(TaskRecord, ExtraValues, 6),
    DATE(TaskRecord, ExtraDouble),
    BOOL(TaskRecord, IsPrivate),
    DATE(TaskRecord, DueDate),
    BOOL(TaskRecord, IsCompleted),
};

const FieldDesc kNoteFields[] = {
    INT(NoteRecord, Action),
    INT(NoteRecord, HelperValue),
    TEXT(NoteRecord, RecordID, 64),
    TEXT(NoteRecord, CreateUserName, 64),
    TEXT(NoteRecord, EditUserName, 64),
    TEXT(NoteRecord, ManageUserName, 64),
    TEXT(NoteRecord, NoteText, 8192),
    BOOL(NoteRecord, Private),
    DATE(NoteRecord, CreateTime),
    DATE(NoteRecord, EditTime),
};

#undef TEXT
#undef TEXT_AT
#undef INT
#undef INT_AT
#undef BOOL
#undef DATE

template <std::size_t N>
constexpr FieldTable tableOf(const FieldDesc (&fields)[N])
{
    return FieldTable{fields, N};
}

// The text is read straight into the arena; what lies beyond the field's capacity is skipped.
bool ReadText(CxFile& file, std::size_t capacity, CxTextArena& texts, const char** text)
{
    std::int32_t stored = 0;
    if (!file.ReadInt(&stored))
        return false;
    if (stored <= 0) {
        *text = "";
        return true;
    }
    const auto length = static_cast<std::size_t>(stored);
    const std::size_t kept = length < capacity - 1 ? length : capacity - 1;
    char* at = texts.Reserve(kept + 1);
    if (!file.ReadBytes(at, kept) || (length > kept && !file.Skip(length - kept)))
        return false;
    at[kept] = '\0';
    texts.Commit(kept + 1);
    *text = at;
    return true;
}

} // namespace

bool IsHeaderWord(const FieldDesc& field)
{
    return std::strcmp(field.name, "Action") == 0 || std::strcmp(field.name, "HelperValue") == 0;
}

const FieldTable& ContactFields()
{
    static const FieldTable table = tableOf(kContactFields);
    return table;
}

const FieldTable& CalendarFields()
{
    static const FieldTable table = tableOf(kCalendarFields);
    return table;
}

const FieldTable& TaskFields()
{
    static const FieldTable table = tableOf(kTaskFields);
    return table;
}

const FieldTable& NoteFields()
{
    static const FieldTable table = tableOf(kNoteFields);
    return table;
}

bool ReadFields(CxFile& file, const FieldTable& table, void* record, CxTextArena& texts)
{
    if (!record || !file.IsOpen())
        return false;
    auto* base = static_cast<unsigned char*>(record);
    for (std::size_t i = 0; i < table.count; ++i) {
        const FieldDesc& f = table.fields[i];
        void* target = base + f.offset;
        bool ok = false;
        switch (f.type) {
        case FieldType::Int:
            ok = file.ReadInt(static_cast<std::int32_t*>(target));
            break;
        case FieldType::Text:
            ok = ReadText(file, f.size, texts, static_cast<const char**>(target));
            break;
        case FieldType::Bool:
            ok = file.ReadBool(static_cast<bool*>(target));
            break;
        case FieldType::Date:
            ok = file.ReadDouble(static_cast<double*>(target));
            break;
        }
        if (!ok)
            return false;
    }
    return true;
}

bool WriteFields(CxFile& file, const FieldTable& table, const void* record)
{
    if (!record || !file.IsOpen())
        return false;
    const auto* base = static_cast<const unsigned char*>(record);
    for (std::size_t i = 0; i < table.count; ++i) {
        const FieldDesc& f = table.fields[i];
        const void* source = base + f.offset;
        bool ok = false;
        switch (f.type) {
        case FieldType::Int:
            ok = file.WriteInt(*static_cast<const std::int32_t*>(source));
            break;
        case FieldType::Text:
            ok = file.WriteString(RecordText(record, f));
            break;
        case FieldType::Bool:
            ok = file.WriteBool(*static_cast<const bool*>(source));
            break;
        case FieldType::Date:
            ok = file.WriteDouble(*static_cast<const double*>(source));
            break;
        }
        if (!ok)
            return false;
    }
    return true;
}

void StoreTexts(const FieldTable& table, void* record, CxTextArena& texts)
{
    for (std::size_t i = 0; i < table.count; ++i) {
        const FieldDesc& f = table.fields[i];
        if (f.type != FieldType::Text)
            continue;
        const char* text = RecordText(record, f);
        SetRecordText(record, f, text ? texts.Add(text, ::strnlen(text, f.size - 1)) : "");
    }
}
