#include "core/DupRules.h"

#include "ACT/ACTRecords.h"

#include <bit>
#include <cmath>
#include <cstring>
#include <iterator>

namespace {

inline unsigned char foldUpper(unsigned char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - ('a' - 'A')) : c;
}

// Blanks reach every compared text; the other options only the fields they name.
#define TEXT(R, f) RuleField{FieldType::Text, offsetof(R, f), NEAR_BLANKS}
#define NAME(R, f) RuleField{FieldType::Text, offsetof(R, f), NEAR_BLANKS | NEAR_PUNCT}
#define PHONE(R, f) RuleField{FieldType::Text, offsetof(R, f), NEAR_BLANKS | NEAR_PHONE}
#define EMAIL(R, f) RuleField{FieldType::Text, offsetof(R, f), NEAR_BLANKS | NEAR_EMAIL}
#define INT(R, f) RuleField{FieldType::Int, offsetof(R, f), 0}
#define DATE(R, f) RuleField{FieldType::Date, offsetof(R, f), 0}
#define BOOL(R, f) RuleField{FieldType::Bool, offsetof(R, f), 0}
#define GROUP(flag, fields) RuleGroup{flag, fields, std::size(fields)}

const RuleField kFullName[] = {NAME(ContactRecord, FullName)};
const RuleField kFirstName[] = {NAME(ContactRecord, FirstName)};
const RuleField kMiddleName[] = {NAME(ContactRecord, MiddleName)};
const RuleField kLastName[] = {NAME(ContactRecord, LastName)};
const RuleField kCompany[] = {NAME(ContactRecord, Company)};
const RuleField kDepartment[] = {TEXT(ContactRecord, Department)};
const RuleField kTitle[] = {TEXT(ContactRecord, Title)};
const RuleField kEmail[] = {EMAIL(ContactRecord, BusinessEmail), EMAIL(ContactRecord, PersonalEmail)};
const RuleField kPhone[] = {
    PHONE(ContactRecord, BusinessPhone),          PHONE(ContactRecord, HomePhone),
    PHONE(ContactRecord, MobilePhone),            PHONE(ContactRecord, Fax),
    PHONE(ContactRecord, BusinessPhoneExtension), PHONE(ContactRecord, HomePhoneExtension),
    PHONE(ContactRecord, MobilePhoneExtension),   PHONE(ContactRecord, Pager),
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
#undef NAME
#undef PHONE
#undef EMAIL
#undef INT
#undef DATE
#undef BOOL
#undef GROUP

template <std::size_t N>
constexpr RuleTable tableOf(const RuleGroup (&groups)[N])
{
    static_assert(N <= 32, "BoundRules keeps one bit per group");
    return RuleTable{groups, N};
}

template <class T>
inline const T& at(const void* record, std::size_t offset)
{
    return *reinterpret_cast<const T*>(static_cast<const unsigned char*>(record) + offset);
}

enum ByteClass : unsigned char
{
    kKeep,
    kSkip,
    kBlank,
};

// What each option set does to each byte, looked up rather than decided byte by byte: the canonical
// form is what the grouping of a large load spends its time on when an option is on.
struct ByteClasses
{
    ByteClass of[16][256];

    constexpr ByteClasses() : of{}
    {
        for (unsigned options = 0; options < 16; ++options) {
            for (unsigned c = 0; c < 256; ++c) {
                ByteClass k = kKeep;
                if (options & NEAR_PHONE)
                    k = c >= '0' && c <= '9' ? kKeep : kSkip;
                else if ((options & NEAR_PUNCT) && (c == '.' || c == ',' || c == '\'' || c == '-'))
                    k = kSkip;
                else if ((options & NEAR_BLANKS) && (c == ' ' || c == '\t' || c == '\r' || c == '\n'))
                    k = kBlank;
                of[options][c] = k;
            }
        }
    }
};

constexpr ByteClasses kByteClasses;

// A text in its canonical form, one byte at a time: comparing and hashing walk it in place, with no copy.
class CanonicalText
{
public:
    CanonicalText(const char* text, unsigned options, bool fold)
        : m_p(reinterpret_cast<const unsigned char*>(text)), m_classes(kByteClasses.of[options & 15u]), m_fold(fold)
    {
    }

    // The next byte of the form; 0 at its end.
    unsigned char Next()
    {
        for (;;) {
            const unsigned char c = *m_p;
            if (c == 0)
                return 0; // a blank still pending trails the text and is dropped
            ++m_p;
            const ByteClass k = m_classes[c];
            if (k == kKeep) {
                if (m_blankPending) {
                    // One space for the whole run; this byte comes with the next call.
                    m_blankPending = false;
                    --m_p;
                    return ' ';
                }
                m_started = true;
                return m_fold ? foldUpper(c) : c;
            }
            if (k == kBlank)
                m_blankPending = m_started;
        }
    }

private:
    const unsigned char* m_p;
    const ByteClass* m_classes;
    bool m_fold;
    bool m_started = false;
    bool m_blankPending = false;
};

inline bool foldsCase(unsigned options, bool caseSensitive)
{
    return !caseSensitive || (options & NEAR_EMAIL);
}

inline std::int32_t compareText(const char* a, const char* b, bool caseSensitive)
{
    if (caseSensitive)
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

std::int32_t compareTextAs(const char* a, const char* b, unsigned options, bool caseSensitive)
{
    if (!options)
        return compareText(a, b, caseSensitive);
    const bool fold = foldsCase(options, caseSensitive);
    CanonicalText ca(a, options, fold);
    CanonicalText cb(b, options, fold);
    for (;;) {
        const int x = ca.Next();
        const int y = cb.Next();
        if (x != y || x == 0)
            return x - y;
    }
}

constexpr std::uint64_t kHashSeed = 0x9E3779B97F4A7C15ull;

inline std::uint64_t mixWord(std::uint64_t h, std::uint64_t w)
{
    h ^= w;
    h *= 0xBF58476D1CE4E5B9ull;
    return h ^ (h >> 31);
}

// Eight bytes are gathered into a word before each multiply, which keeps long texts cheap.
struct TextMixer
{
    std::uint64_t h;
    std::uint64_t word = 0;
    std::uint64_t length = 0;
    unsigned filled = 0;

    void Add(unsigned char c)
    {
        word = (word << 8) | c;
        ++length;
        if (++filled == 8) {
            h = mixWord(h, word);
            word = 0;
            filled = 0;
        }
    }

    std::uint64_t Done() const { return mixWord(mixWord(h, word), length); }
};

} // namespace

std::int32_t CompareTextAs(const char* a, const char* b, unsigned options, const AppSettingsData& settings)
{
    return compareTextAs(a, b, options, settings.CaseSensitive);
}

std::int32_t CompareText(const char* a, const char* b, const AppSettingsData& settings)
{
    return compareText(a, b, settings.CaseSensitive);
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

namespace {

// Near: some option is on. Without, texts take the path they took before the options existed, which
// the grouping of large loads depends on for its speed.
template <bool Near>
inline bool fieldEqual(const RuleField& f, const void* a, const void* b, unsigned options, bool caseSensitive)
{
    switch (f.type) {
    case FieldType::Text: {
        const char* ta = at<const char*>(a, f.offset);
        const char* tb = at<const char*>(b, f.offset);
        return (Near ? compareTextAs(ta, tb, options & f.reachedBy, caseSensitive)
                     : compareText(ta, tb, caseSensitive)) == 0;
    }
    case FieldType::Int:
        return at<std::int32_t>(a, f.offset) == at<std::int32_t>(b, f.offset);
    case FieldType::Date:
        return at<double>(a, f.offset) == at<double>(b, f.offset);
    case FieldType::Bool:
        return at<unsigned char>(a, f.offset) == at<unsigned char>(b, f.offset);
    }
    return false;
}

// The compared groups, in table order, by their bits: the groups that are off cost nothing.
template <class Visit>
inline bool forEachGroupOn(const BoundRules& rules, Visit&& visit)
{
    for (std::uint32_t on = rules.groupsOn; on != 0; on &= on - 1) {
        if (!visit(rules.table->groups[std::countr_zero(on)]))
            return false;
    }
    return true;
}

template <bool Near>
bool recordsEqual(const BoundRules& rules, const void* a, const void* b)
{
    const unsigned options = rules.options;
    const bool caseSensitive = rules.caseSensitive;
    return forEachGroupOn(rules, [&](const RuleGroup& group) {
        for (std::size_t i = 0; i < group.count; ++i) {
            if (!fieldEqual<Near>(group.fields[i], a, b, options, caseSensitive))
                return false;
        }
        return true;
    });
}

template <bool Near>
bool hashRecord(const BoundRules& rules, const void* record, std::uint64_t* hash)
{
    const unsigned options = rules.options;
    const bool caseSensitive = rules.caseSensitive;
    std::uint64_t h = kHashSeed;
    const bool comparable = forEachGroupOn(rules, [&](const RuleGroup& group) {
        for (std::size_t i = 0; i < group.count; ++i) {
            const RuleField& f = group.fields[i];
            switch (f.type) {
            case FieldType::Text: {
                const char* text = at<const char*>(record, f.offset);
                const unsigned reaching = Near ? options & f.reachedBy : 0;
                TextMixer mixer{h};
                if (reaching) {
                    CanonicalText canonical(text, reaching, foldsCase(reaching, caseSensitive));
                    for (unsigned char c; (c = canonical.Next()) != 0;)
                        mixer.Add(c);
                } else if (!caseSensitive) {
                    for (const auto* p = reinterpret_cast<const unsigned char*>(text); *p; ++p)
                        mixer.Add(foldUpper(*p));
                } else {
                    for (const auto* p = reinterpret_cast<const unsigned char*>(text); *p; ++p)
                        mixer.Add(*p);
                }
                h = mixer.Done();
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
        return true;
    });
    if (comparable)
        *hash = h;
    return comparable;
}

} // namespace

BoundRules BindRules(const RuleTable& rules, const AppSettingsData& settings)
{
    BoundRules bound{&rules, 0, settings.CaseSensitive, NearMatchOptions(settings)};
    for (std::size_t g = 0; g < rules.count; ++g) {
        const RuleGroup& group = rules.groups[g];
        if (!group.flag || settings.*(group.flag))
            bound.groupsOn |= std::uint32_t{1} << g;
    }
    return bound;
}

bool RuleFieldEqual(const RuleField& f, const void* a, const void* b, unsigned options, const AppSettingsData& settings)
{
    return options ? fieldEqual<true>(f, a, b, options, settings.CaseSensitive)
                   : fieldEqual<false>(f, a, b, 0, settings.CaseSensitive);
}

bool RecordsEqual(const BoundRules& rules, const void* a, const void* b)
{
    if (!a || !b)
        return false;
    return rules.options ? recordsEqual<true>(rules, a, b) : recordsEqual<false>(rules, a, b);
}

bool RecordsEqual(const RuleTable& rules, const void* a, const void* b, const AppSettingsData& settings)
{
    return RecordsEqual(BindRules(rules, settings), a, b);
}

bool HashRecord(const BoundRules& rules, const void* record, std::uint64_t* hash)
{
    return rules.options ? hashRecord<true>(rules, record, hash) : hashRecord<false>(rules, record, hash);
}

bool HashRecord(const RuleTable& rules, const void* record, std::uint64_t* hash, const AppSettingsData& settings)
{
    return HashRecord(BindRules(rules, settings), record, hash);
}

bool ContactsEqual(const ContactRecord* a, const ContactRecord* b, const AppSettingsData& settings)
{
    return RecordsEqual(ContactRules(), a, b, settings);
}

bool EventsEqual(const CalendarRecord* a, const CalendarRecord* b, const AppSettingsData& settings)
{
    return RecordsEqual(EventRules(), a, b, settings);
}

bool TasksEqual(const TaskRecord* a, const TaskRecord* b, const AppSettingsData& settings)
{
    return RecordsEqual(TaskRules(), a, b, settings);
}

bool NotesEqual(const NoteRecord* a, const NoteRecord* b, const AppSettingsData& settings)
{
    return RecordsEqual(NoteRules(), a, b, settings);
}
