#include "ACT/ACTRecords.h"

#include "misc/CxFile.h"

#include <cstring>
#include <iterator>

namespace {

#define TEXT(R, f) {#f, FieldType::Text, offsetof(R, f), sizeof(R::f)}
#define TEXT_AT(R, f, i) {#f #i, FieldType::Text, offsetof(R, f) + (i - 1) * sizeof(R::f[0]), sizeof(R::f[0])}
#define INT(R, f) {#f, FieldType::Int, offsetof(R, f), sizeof(std::int32_t)}
#define INT_AT(R, f, i) {#f #i, FieldType::Int, offsetof(R, f) + (i - 1) * sizeof(std::int32_t), sizeof(std::int32_t)}
#define BOOL(R, f) {#f, FieldType::Bool, offsetof(R, f), sizeof(bool)}
#define DATE(R, f) {#f, FieldType::Date, offsetof(R, f), sizeof(double)}

const FieldDesc kContactFields[] = {
    INT(ContactRecord, Action),
    INT(ContactRecord, HelperValue),
    TEXT(ContactRecord, RecordID),
    TEXT(ContactRecord, RecordCreator),
    TEXT(ContactRecord, LastEditedBy),
    TEXT(ContactRecord, RecordManager),
    TEXT(ContactRecord, Category),
    TEXT(ContactRecord, NamePrefix),
    TEXT(ContactRecord, NameSuffix),
    TEXT(ContactRecord, FirstName),
    TEXT(ContactRecord, MiddleName),
    TEXT(ContactRecord, LastName),
    TEXT(ContactRecord, FullName),
    TEXT(ContactRecord, Salutation),
    TEXT(ContactRecord, ReferredBy),
    TEXT(ContactRecord, Company),
    TEXT(ContactRecord, Department),
    TEXT(ContactRecord, Title),
    TEXT(ContactRecord, BusinessCountry),
    TEXT(ContactRecord, BusinessState),
    TEXT(ContactRecord, BusinessCity),
    TEXT(ContactRecord, BusinessAddress1),
    TEXT(ContactRecord, BusinessAddress2),
    TEXT(ContactRecord, BusinessAddress3),
    TEXT(ContactRecord, BusinessPostal),
    TEXT(ContactRecord, HomeCountry),
    TEXT(ContactRecord, HomeState),
    TEXT(ContactRecord, HomeCity),
    TEXT(ContactRecord, HomeAddress1),
    TEXT(ContactRecord, HomeAddress2),
    TEXT(ContactRecord, HomeAddress3),
    TEXT(ContactRecord, HomePostal),
    TEXT(ContactRecord, BusinessPhone),
    TEXT(ContactRecord, HomePhone),
    TEXT(ContactRecord, MobilePhone),
    TEXT(ContactRecord, Pager),
    TEXT(ContactRecord, Fax),
    TEXT(ContactRecord, AlternatePhone),
    TEXT(ContactRecord, FaxExtension),
    TEXT(ContactRecord, PagerExtension),
    TEXT(ContactRecord, BusinessPhoneExtension),
    TEXT(ContactRecord, HomePhoneExtension),
    TEXT(ContactRecord, MobilePhoneExtension),
    TEXT(ContactRecord, AlternatePhoneExtension),
    TEXT(ContactRecord, BusinessEmail),
    TEXT(ContactRecord, PersonalEmail),
    TEXT(ContactRecord, Website),
    TEXT(ContactRecord, InstantMessenger),
    TEXT(ContactRecord, SpouseName),
    TEXT_AT(ContactRecord, UserDefined, 1),
    TEXT_AT(ContactRecord, UserDefined, 2),
    TEXT_AT(ContactRecord, UserDefined, 3),
    TEXT_AT(ContactRecord, UserDefined, 4),
    TEXT_AT(ContactRecord, UserDefined, 5),
    TEXT_AT(ContactRecord, UserDefined, 6),
    TEXT_AT(ContactRecord, UserDefined, 7),
    TEXT_AT(ContactRecord, UserDefined, 8),
    TEXT_AT(ContactRecord, UserDefined, 9),
    TEXT_AT(ContactRecord, UserDefined, 10),
    TEXT(ContactRecord, LastResults),
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
    TEXT(ContactRecord, SecondaryFirstName),
    TEXT(ContactRecord, SecondaryLastName),
    TEXT(ContactRecord, SecondaryContact),
    TEXT(ContactRecord, SecondaryCompany),
    TEXT(ContactRecord, SecondaryTitle),
    TEXT(ContactRecord, SecondaryCountry),
    TEXT(ContactRecord, SecondaryState),
    TEXT(ContactRecord, SecondaryCity),
    TEXT(ContactRecord, SecondaryAddress1),
    TEXT(ContactRecord, SecondaryAddress2),
    TEXT(ContactRecord, SecondaryAddress3),
    TEXT(ContactRecord, SecondaryPostal),
    TEXT(ContactRecord, SecondaryPhone),
    TEXT(ContactRecord, SecondaryMobilePhone),
    TEXT(ContactRecord, SecondaryFax),
    TEXT(ContactRecord, SecondaryPhoneExtension),
    TEXT(ContactRecord, SecondaryEmail),
    TEXT(ContactRecord, SecondaryWebsite),
    TEXT(ContactRecord, SecondaryCategory),
    BOOL(ContactRecord, SecondaryIsPrivate),
};
static_assert(std::size(kContactFields) == 2 + 89);

const FieldDesc kCalendarFields[] = {
    INT(CalendarRecord, Action),
    INT(CalendarRecord, HelperValue),
    TEXT(CalendarRecord, RecordID),
    TEXT(CalendarRecord, Regarding),
    TEXT(CalendarRecord, Location),
    TEXT(CalendarRecord, Details),
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
    TEXT(TaskRecord, RecordID),
    TEXT(TaskRecord, Regarding),
    TEXT(TaskRecord, ExtraText),
    TEXT(TaskRecord, Details),
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
    TEXT(NoteRecord, RecordID),
    TEXT(NoteRecord, CreateUserName),
    TEXT(NoteRecord, EditUserName),
    TEXT(NoteRecord, ManageUserName),
    TEXT(NoteRecord, NoteText),
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

bool ReadFields(CxFile& file, const FieldTable& table, void* record)
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
            ok = file.ReadString(static_cast<char*>(target), f.size);
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
            ok = file.WriteString(static_cast<const char*>(source));
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
