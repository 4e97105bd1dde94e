#include "core/DupRules.h"

#include "ACT/ACTRecords.h"

#include <cmath>
#include <cstring>
#include <iterator>

namespace {

inline unsigned char foldUpper(unsigned char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - ('a' - 'A')) : c;
}

#define TEXT(R, f) RuleField{FieldType::Text, offsetof(R, f)}
#define INT(R, f) RuleField{FieldType::Int, offsetof(R, f)}
#define DATE(R, f) RuleField{FieldType::Date, offsetof(R, f)}
#define BOOL(R, f) RuleField{FieldType::Bool, offsetof(R, f)}
#define GROUP(flag, fields) RuleGroup{flag, fields, std::size(fields)}

const RuleField kFullName[] = {TEXT(ContactRecord, FullName)};
const RuleField kFirstName[] = {TEXT(ContactRecord, FirstName)};
const RuleField kMiddleName[] = {TEXT(ContactRecord, MiddleName)};
const RuleField kLastName[] = {TEXT(ContactRecord, LastName)};
const RuleField kCompany[] = {TEXT(ContactRecord, Company)};
const RuleField kDepartment[] = {TEXT(ContactRecord, Department)};
const RuleField kTitle[] = {TEXT(ContactRecord, Title)};
const RuleField kEmail[] = {TEXT(ContactRecord, BusinessEmail), TEXT(ContactRecord, PersonalEmail)};
const RuleField kPhone[] = {
    TEXT(ContactRecord, BusinessPhone),          TEXT(ContactRecord, HomePhone),
    TEXT(ContactRecord, MobilePhone),            TEXT(ContactRecord, Fax),
    TEXT(ContactRecord, BusinessPhoneExtension), TEXT(ContactRecord, HomePhoneExtension),
    TEXT(ContactRecord, MobilePhoneExtension),   TEXT(ContactRecord, Pager),
};
const RuleField kAddress[] = {
    TEXT(ContactRecord, BusinessAddress1), TEXT(ContactRecord, BusinessAddress2), TEXT(ContactRecord, BusinessAddress3),
    TEXT(ContactRecord, BusinessCity),     TEXT(ContactRecord, BusinessState),    TEXT(ContactRecord, BusinessCountry),
    TEXT(ContactRecord, BusinessPostal),   TEXT(ContactRecord, HomeAddress1),     TEXT(ContactRecord, HomeAddress2),
    TEXT(ContactRecord, HomeAddress3),     TEXT(ContactRecord, HomeCity),         TEXT(ContactRecord, HomeState),
    TEXT(ContactRecord, HomeCountry),      TEXT(ContactRecord, HomePostal),
};
const RuleField kInstantMessenger[] = {TEXT(ContactRecord, InstantMessenger)};
const RuleField kWebsite[] = {TEXT(ContactRecord, Website)};

const RuleGroup kContactGroups[] = {
    GROUP(&AppSettingsData::AddrDisplayName, kFullName),
    GROUP(&AppSettingsData::AddrFirstName, kFirstName),
    GROUP(&AppSettingsData::AddrMiddleName, kMiddleName),
    GROUP(&AppSettingsData::AddrLastName, kLastName),
    GROUP(&AppSettingsData::AddrCompanyName, kCompany),
    GROUP(&AppSettingsData::AddrDepartment, kDepartment),
    GROUP(&AppSettingsData::AddrTitle, kTitle),
    GROUP(&AppSettingsData::AddrEmail, kEmail),
    GROUP(&AppSettingsData::AddrPhone, kPhone),
    GROUP(&AppSettingsData::AddrAddress, kAddress),
    GROUP(&AppSettingsData::AddrIM, kInstantMessenger),
    GROUP(&AppSettingsData::AddrWebSite, kWebsite),
};

const RuleField kEventRegarding[] = {TEXT(CalendarRecord, Regarding)};
const RuleField kEventLocation[] = {TEXT(CalendarRecord, Location)};
const RuleField kEventStart[] = {DATE(CalendarRecord, StartTime)};
const RuleField kEventEnd[] = {DATE(CalendarRecord, EndTime)};
const RuleField kEventDetails[] = {TEXT(CalendarRecord, Details)};
const RuleField kEventRecurrence[] = {
    INT(CalendarRecord, RecurDays),     INT(CalendarRecord, RecurByDate), INT(CalendarRecord, RecurInterval),
    INT(CalendarRecord, RecurInstance), INT(CalendarRecord, RecurMonth),  INT(CalendarRecord, RecurType),
    DATE(CalendarRecord, RecurEndDate),
};
const RuleField kEventTimeless[] = {BOOL(CalendarRecord, IsTimeless)};

const RuleGroup kEventGroups[] = {
    GROUP(&AppSettingsData::DateSubject, kEventRegarding),
    GROUP(&AppSettingsData::DateLocation, kEventLocation),
    GROUP(&AppSettingsData::DateStartTime, kEventStart),
    GROUP(&AppSettingsData::DateEndTime, kEventEnd),
    GROUP(&AppSettingsData::DateNote, kEventDetails),
    GROUP(&AppSettingsData::DateRecur, kEventRecurrence),
    GROUP(&AppSettingsData::DateAllDayEvent, kEventTimeless),
};

const RuleField kTaskRegarding[] = {TEXT(TaskRecord, Regarding)};
const RuleField kTaskPriority[] = {INT(TaskRecord, Priority)};
const RuleField kTaskDueDate[] = {DATE(TaskRecord, DueDate)};
const RuleField kTaskDetails[] = {TEXT(TaskRecord, Details)};

const RuleGroup kTaskGroups[] = {
    GROUP(&AppSettingsData::TaskSubject, kTaskRegarding),
    GROUP(&AppSettingsData::TaskImportance, kTaskPriority),
    GROUP(&AppSettingsData::TaskDueDate, kTaskDueDate),
    GROUP(&AppSettingsData::TaskNote, kTaskDetails),
};

const RuleField kNoteText[] = {TEXT(NoteRecord, NoteText)};

const RuleGroup kNoteGroups[] = {
    GROUP(nullptr, kNoteText),
};

#undef TEXT
#undef INT
#undef DATE
#undef BOOL
#undef GROUP

template <std::size_t N>
constexpr RuleTable tableOf(const RuleGroup (&groups)[N])
{
    return RuleTable{groups, N};
}

inline bool groupEnabled(const RuleGroup& group)
{
    return !group.flag || AppSettings.*(group.flag);
}

template <class T>
inline const T& at(const void* record, std::size_t offset)
{
    return *reinterpret_cast<const T*>(static_cast<const unsigned char*>(record) + offset);
}

bool fieldEqual(const RuleField& f, const void* a, const void* b)
{
    switch (f.type) {
    case FieldType::Text:
        return CompareText(at<const char*>(a, f.offset), at<const char*>(b, f.offset)) == 0;
    case FieldType::Int:
        return at<std::int32_t>(a, f.offset) == at<std::int32_t>(b, f.offset);
    case FieldType::Date:
        return at<double>(a, f.offset) == at<double>(b, f.offset);
    case FieldType::Bool:
        return at<unsigned char>(a, f.offset) == at<unsigned char>(b, f.offset);
    }
    return false;
}

constexpr std::uint64_t kHashSeed = 0x9E3779B97F4A7C15ull;

inline std::uint64_t mixWord(std::uint64_t h, std::uint64_t w)
{
    h ^= w;
    h *= 0xBF58476D1CE4E5B9ull;
    return h ^ (h >> 31);
}

// Eight bytes are gathered into a word before each multiply, which keeps long texts cheap.
inline std::uint64_t mixText(std::uint64_t h, const unsigned char* p, bool fold)
{
    std::uint64_t word = 0;
    unsigned filled = 0;
    std::uint64_t length = 0;
    for (; *p; ++p, ++length) {
        word = (word << 8) | (fold ? foldUpper(*p) : *p);
        if (++filled == 8) {
            h = mixWord(h, word);
            word = 0;
            filled = 0;
        }
    }
    return mixWord(mixWord(h, word), length);
}

} // namespace

std::int32_t CompareText(const char* a, const char* b)
{
    if (AppSettings.CaseSensitive)
        return std::strcmp(a, b);
    const auto* pa = reinterpret_cast<const unsigned char*>(a);
    const auto* pb = reinterpret_cast<const unsigned char*>(b);
    for (;; ++pa, ++pb) {
        const int ca = foldUpper(*pa);
        const int cb = foldUpper(*pb);
        if (ca != cb || ca == 0)
            return ca - cb;
    }
}

const RuleTable& ContactRules()
{
    static const RuleTable table = tableOf(kContactGroups);
    return table;
}

const RuleTable& EventRules()
{
    static const RuleTable table = tableOf(kEventGroups);
    return table;
}

const RuleTable& TaskRules()
{
    static const RuleTable table = tableOf(kTaskGroups);
    return table;
}

const RuleTable& NoteRules()
{
    static const RuleTable table = tableOf(kNoteGroups);
    return table;
}

bool RecordsEqual(const RuleTable& rules, const void* a, const void* b)
{
    if (!a || !b)
        return false;
    for (std::size_t g = 0; g < rules.count; ++g) {
        const RuleGroup& group = rules.groups[g];
        if (!groupEnabled(group))
            continue;
        for (std::size_t i = 0; i < group.count; ++i) {
            if (!fieldEqual(group.fields[i], a, b))
                return false;
        }
    }
    return true;
}

bool HashRecord(const RuleTable& rules, const void* record, std::uint64_t* hash)
{
    const bool fold = !AppSettings.CaseSensitive;
    std::uint64_t h = kHashSeed;
    for (std::size_t g = 0; g < rules.count; ++g) {
        const RuleGroup& group = rules.groups[g];
        if (!groupEnabled(group))
            continue;
        for (std::size_t i = 0; i < group.count; ++i) {
            const RuleField& f = group.fields[i];
            switch (f.type) {
            case FieldType::Text: {
                h = mixText(h, reinterpret_cast<const unsigned char*>(at<const char*>(record, f.offset)), fold);
                break;
            }
            case FieldType::Int:
                h = mixWord(h, static_cast<std::uint32_t>(at<std::int32_t>(record, f.offset)));
                break;
            case FieldType::Date: {
                double d = at<double>(record, f.offset);
                if (std::isnan(d))
                    return false;
                if (d == 0.0)
                    d = 0.0; // -0.0 equals 0.0 and must hash alike
                std::uint64_t bits;
                std::memcpy(&bits, &d, sizeof bits);
                h = mixWord(h, bits);
                break;
            }
            case FieldType::Bool:
                h = mixWord(h, at<unsigned char>(record, f.offset));
                break;
            }
        }
    }
    *hash = h;
    return true;
}

bool ContactsEqual(const ContactRecord* a, const ContactRecord* b)
{
    return RecordsEqual(ContactRules(), a, b);
}

bool EventsEqual(const CalendarRecord* a, const CalendarRecord* b)
{
    return RecordsEqual(EventRules(), a, b);
}

bool TasksEqual(const TaskRecord* a, const TaskRecord* b)
{
    return RecordsEqual(TaskRules(), a, b);
}

bool NotesEqual(const NoteRecord* a, const NoteRecord* b)
{
    return RecordsEqual(NoteRules(), a, b);
}
