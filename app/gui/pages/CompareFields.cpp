#include "gui/pages/CompareFields.h"

#include "core/RecordKinds.h"

#include "gui/pages/RecordText.h"
#include "gui/services/FieldText.h"
#include "gui/viewers/ViewerCommon.h"

#include "ACT/ACTRecords.h"
#include "core/DateText.h"
#include "core/DupRules.h"
#include "core/RecordWords.h"

#include <QLocale>
#include <QStringList>

#include <iterator>

using viewers::FormatPhone;
using viewers::IsEmpty;

namespace compare {

namespace {

template <class Record> const Record& As(const void* record)
{
    return *static_cast<const Record*>(record);
}

QString YesNo(bool value)
{
    return QString::fromLatin1(pagetext::YesNo(value));
}

// Contacts and notes list every date but 0; calendar events and tasks only dates after 0.
QString DateIfNotZero(double date, std::string (*format)(double))
{
    return date != 0.0 ? QString::fromStdString(format(date)) : QString();
}

QString DateIfPositive(double date, std::string (*format)(double))
{
    return date > 0 ? QString::fromStdString(format(date)) : QString();
}

// As the viewer writes a number and its extension. The viewer drops an extension stored without its
// number; here it shows, so that every stored value can be compared.
QString Phone(const char* number, const char* extension)
{
    if (IsEmpty(number))
        return IsEmpty(extension) ? QString() : QStringLiteral("(no number) * ") + FieldText(extension);
    return FormatPhone(number, extension);
}

// The street box: the lines that are not empty, one under the other.
QString Street(const char* line1, const char* line2, const char* line3)
{
    QStringList lines;
    for (const char* line : {line1, line2, line3}) {
        if (!IsEmpty(line))
            lines << FieldText(line);
    }
    return lines.join(QLatin1Char('\n'));
}

QString Number(std::int32_t value)
{
    return QString::number(value);
}

// The shortest text that reads back as the same double.
QString Number(double value)
{
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

QString Numbers(const std::int32_t* values, std::size_t count)
{
    QStringList texts;
    for (std::size_t i = 0; i < count; ++i)
        texts << Number(values[i]);
    return texts.join(QStringLiteral(", "));
}

template <int Index> QString Custom(const void* r)
{
    return FieldText(As<ContactRecord>(r).UserDefined[Index]);
}

template <int Index> constexpr std::size_t CustomOffset()
{
    return offsetof(ContactRecord, UserDefined) + Index * sizeof(ContactRecord::UserDefined[0]);
}

QString EventType(std::int32_t type)
{
    // Anything without a word of its own is an appointment, as the viewer shows it.
    const char* word = recordwords::EventType(type);
    return QString::fromLatin1(word ? word : recordwords::EventType(0));
}

bool Recurs(const CalendarRecord& r)
{
    return r.RecurType >= recordwords::RecurDaily && r.RecurType <= recordwords::RecurYearly;
}

// What the viewer's recurrence page shows, in one line: the pattern, its interval and, by pattern, the
// weekdays or whether a month or year recurs by date or by day.
QString Recurrence(const CalendarRecord& r)
{
    if (!Recurs(r))
        return QString();
    const QString interval = QString::asprintf("%d", r.RecurInterval);
    const QString by = r.RecurByDate == recordwords::kRecurByDate ? QStringLiteral("by date") : QStringLiteral("by day");
    switch (r.RecurType) {
    case recordwords::RecurDaily:
        return QStringLiteral("Daily: every %1 days").arg(interval);
    case recordwords::RecurWeekly: {
        // Named Monday first, as a week reads.
        QStringList days;
        for (int i = 1; i <= 7; ++i) {
            const int day = i % 7;
            if ((r.RecurDays >> day) & 1)
                days << QString::fromLatin1(recordwords::Weekday(day));
        }
        const QString text = QStringLiteral("Weekly: every %1 weeks").arg(interval);
        return days.isEmpty() ? text : text + QStringLiteral(" on ") + days.join(QStringLiteral(", "));
    }
    case recordwords::RecurMonthly:
        return QStringLiteral("Monthly: every %1 months, %2").arg(interval, by);
    default:
        return QStringLiteral("Yearly: every %1 years, %2").arg(interval, by);
    }
}

QString RecurrenceEnd(const CalendarRecord& r)
{
    if (!Recurs(r))
        return QString();
    return r.RecurEndDate > recordwords::kNoRecurEnd ? QString::fromStdString(DateText(r.RecurEndDate))
                                        : QStringLiteral("No end date");
}

#define TEXT(R, label, f)                                                                                              \
    CompareField                                                                                                       \
    {                                                                                                                  \
        label, [](const void* r) { return FieldText(As<R>(r).f); }, FieldOffsets(offsetof(R, f))                       \
    }
#define ROW(R, label, expr, ...)                                                                                       \
    CompareField                                                                                                       \
    {                                                                                                                  \
        label,                                                                                                         \
            [](const void* record) -> QString {                                                                        \
                const R& r = As<R>(record);                                                                            \
                return expr;                                                                                           \
            },                                                                                                         \
            FieldOffsets(__VA_ARGS__)                                                                                  \
    }
#define AT(R, f) offsetof(R, f)
#define PHONE(label, number, extension)                                                                                \
    ROW(ContactRecord, label, Phone(r.number, r.extension), AT(ContactRecord, number), AT(ContactRecord, extension))
#define STREET(label, a, b, c)                                                                                         \
    ROW(ContactRecord, label, Street(r.a, r.b, r.c), AT(ContactRecord, a), AT(ContactRecord, b), AT(ContactRecord, c))
#define CUSTOM(label, index)                                                                                           \
    CompareField                                                                                                       \
    {                                                                                                                  \
        label, Custom<index>, FieldOffsets(CustomOffset<index>())                                                      \
    }

// The viewer's header boxes, its pages from left to right and its lists from top to bottom. Company and
// Job Title, which the viewer repeats among the misc fields, come once. The fields no viewer shows come
// where they belong: the parts of the name (the rules compare first, middle and last name; without them
// a match on them could not be seen) and the record's flags.
const CompareField kContactFields[] = {
    TEXT(ContactRecord, "Name", FullName),
    TEXT(ContactRecord, "Name Prefix", NamePrefix),
    TEXT(ContactRecord, "First Name", FirstName),
    TEXT(ContactRecord, "Middle Name", MiddleName),
    TEXT(ContactRecord, "Last Name", LastName),
    TEXT(ContactRecord, "Name Suffix", NameSuffix),
    TEXT(ContactRecord, "Company", Company),
    TEXT(ContactRecord, "Job Title", Title),
    PHONE("Work Phone", BusinessPhone, BusinessPhoneExtension),
    PHONE("Home Phone", HomePhone, HomePhoneExtension),
    PHONE("Mobile Phone", MobilePhone, MobilePhoneExtension),
    PHONE("Alternate Phone", AlternatePhone, AlternatePhoneExtension),
    PHONE("Fax", Fax, FaxExtension),
    PHONE("Pager", Pager, PagerExtension),
    TEXT(ContactRecord, "Work Email", BusinessEmail),
    TEXT(ContactRecord, "Personal Email", PersonalEmail),
    STREET("Work Address", BusinessAddress1, BusinessAddress2, BusinessAddress3),
    TEXT(ContactRecord, "Work City", BusinessCity),
    TEXT(ContactRecord, "Work State", BusinessState),
    TEXT(ContactRecord, "Work Postal", BusinessPostal),
    TEXT(ContactRecord, "Work Country", BusinessCountry),
    STREET("Home Address", HomeAddress1, HomeAddress2, HomeAddress3),
    TEXT(ContactRecord, "Home City", HomeCity),
    TEXT(ContactRecord, "Home State", HomeState),
    TEXT(ContactRecord, "Home Postal", HomePostal),
    TEXT(ContactRecord, "Home Country", HomeCountry),
    CUSTOM("Custom Field 1", 0),
    CUSTOM("Custom Field 2", 1),
    CUSTOM("Custom Field 3", 2),
    CUSTOM("Custom Field 4", 3),
    CUSTOM("Custom Field 5", 4),
    CUSTOM("Custom Field 6", 5),
    CUSTOM("Custom Field 7", 6),
    CUSTOM("Custom Field 8", 7),
    CUSTOM("Custom Field 9", 8),
    CUSTOM("Custom Field 10", 9),
    TEXT(ContactRecord, "Record Creator", RecordCreator),
    TEXT(ContactRecord, "Record Manager", RecordManager),
    TEXT(ContactRecord, "Last Edited By", LastEditedBy),
    TEXT(ContactRecord, "ID/Status", Category),
    TEXT(ContactRecord, "Salutation", Salutation),
    TEXT(ContactRecord, "Referred By", ReferredBy),
    TEXT(ContactRecord, "Department", Department),
    TEXT(ContactRecord, "Website", Website),
    TEXT(ContactRecord, "Messenger ID", InstantMessenger),
    TEXT(ContactRecord, "Spouse", SpouseName),
    TEXT(ContactRecord, "Last Results", LastResults),
    ROW(ContactRecord, "Birthday", DateIfNotZero(r.Birthday, DateText), AT(ContactRecord, Birthday)),
    ROW(ContactRecord, "Create Time", DateIfNotZero(r.CreateDate, DateTimeText), AT(ContactRecord, CreateDate)),
    ROW(ContactRecord, "Edit Time", DateIfNotZero(r.EditDate, DateTimeText), AT(ContactRecord, EditDate)),
    ROW(ContactRecord, "Last Attempt Time", DateIfNotZero(r.LastAttempt, DateTimeText), AT(ContactRecord, LastAttempt)),
    ROW(ContactRecord, "Last Email Time", DateIfNotZero(r.LastEmail, DateTimeText), AT(ContactRecord, LastEmail)),
    ROW(ContactRecord, "Last Meet Time", DateIfNotZero(r.LastMeeting, DateTimeText), AT(ContactRecord, LastMeeting)),
    ROW(ContactRecord, "Last Reach Time", DateIfNotZero(r.LastReach, DateTimeText), AT(ContactRecord, LastReach)),
    ROW(ContactRecord, "Last Letter Time", DateIfNotZero(r.LastLetter, DateTimeText), AT(ContactRecord, LastLetter)),
    ROW(ContactRecord, "Is Private", YesNo(r.IsPrivate), AT(ContactRecord, IsPrivate)),
    ROW(ContactRecord, "Is User", YesNo(r.IsUser), AT(ContactRecord, IsUser)),
    ROW(ContactRecord, "Is Imported", YesNo(r.IsImported), AT(ContactRecord, IsImported)),
    TEXT(ContactRecord, "Secondary First Name", SecondaryFirstName),
    TEXT(ContactRecord, "Secondary Last Name", SecondaryLastName),
    TEXT(ContactRecord, "Secondary Contact", SecondaryContact),
    TEXT(ContactRecord, "Secondary Company", SecondaryCompany),
    TEXT(ContactRecord, "Secondary Job Title", SecondaryTitle),
    TEXT(ContactRecord, "Secondary Country", SecondaryCountry),
    TEXT(ContactRecord, "Secondary State", SecondaryState),
    TEXT(ContactRecord, "Secondary City", SecondaryCity),
    TEXT(ContactRecord, "Secondary Address (line 1)", SecondaryAddress1),
    TEXT(ContactRecord, "Secondary Address (line 2)", SecondaryAddress2),
    TEXT(ContactRecord, "Secondary Address (line 3)", SecondaryAddress3),
    TEXT(ContactRecord, "Secondary Postal", SecondaryPostal),
    ROW(ContactRecord, "Secondary Work Phone", Phone(r.SecondaryPhone, r.SecondaryPhoneExtension),
        AT(ContactRecord, SecondaryPhone), AT(ContactRecord, SecondaryPhoneExtension)),
    TEXT(ContactRecord, "Secondary Mobile Phone", SecondaryMobilePhone),
    TEXT(ContactRecord, "Secondary Fax", SecondaryFax),
    TEXT(ContactRecord, "Secondary Email", SecondaryEmail),
    TEXT(ContactRecord, "Secondary Website", SecondaryWebsite),
    TEXT(ContactRecord, "Secondary ID/Status", SecondaryCategory),
    ROW(ContactRecord, "Secondary Is Private", YesNo(r.SecondaryIsPrivate), AT(ContactRecord, SecondaryIsPrivate)),
};

// The event's start gives the viewer both its date and its start time. The recurrence's further values
// and the value the helper keeps, which no viewer shows, come as the numbers stored.
const CompareField kEventFields[] = {
    TEXT(CalendarRecord, "Description", Regarding),
    ROW(CalendarRecord, "Date", QString::fromStdString(DateText(r.StartTime)), AT(CalendarRecord, StartTime)),
    ROW(CalendarRecord, "Start time", QString::fromStdString(TimeText(r.StartTime)), AT(CalendarRecord, StartTime)),
    ROW(CalendarRecord, "End time", QString::fromStdString(TimeText(r.EndTime)), AT(CalendarRecord, EndTime)),
    TEXT(CalendarRecord, "Location", Location),
    ROW(CalendarRecord, "Event Type", EventType(r.EventType), AT(CalendarRecord, EventType)),
    ROW(CalendarRecord, "All day event", YesNo(r.IsTimeless), AT(CalendarRecord, IsTimeless)),
    ROW(CalendarRecord, "Is Private", YesNo(r.IsPrivate), AT(CalendarRecord, IsPrivate)),
    ROW(CalendarRecord, "Recurrence", Recurrence(r), AT(CalendarRecord, RecurType), AT(CalendarRecord, RecurInterval),
        AT(CalendarRecord, RecurDays), AT(CalendarRecord, RecurByDate)),
    ROW(CalendarRecord, "Recurrence Instance", Number(r.RecurInstance), AT(CalendarRecord, RecurInstance)),
    ROW(CalendarRecord, "Recurrence Month", Number(r.RecurMonth), AT(CalendarRecord, RecurMonth)),
    ROW(CalendarRecord, "Recurrence End", RecurrenceEnd(r), AT(CalendarRecord, RecurEndDate)),
    TEXT(CalendarRecord, "Notes", Details),
    ROW(CalendarRecord, "Create Time", DateIfPositive(r.CreateTime, DateTimeText), AT(CalendarRecord, CreateTime)),
    ROW(CalendarRecord, "Edit Date", DateIfPositive(r.EditDate, DateTimeText), AT(CalendarRecord, EditDate)),
    ROW(CalendarRecord, "Extra Value", Number(r.ExtraValue), AT(CalendarRecord, ExtraValue)),
};

// The viewer shows the priority as its number; the word of the review list is added, so that the two
// can be told apart where several numbers mean "Normal". The values the helper keeps, which no viewer
// shows, come last as stored.
const CompareField kTaskFields[] = {
    TEXT(TaskRecord, "Description", Regarding),
    ROW(TaskRecord, "Priority",
        QStringLiteral("%1 (%2)").arg(r.Priority).arg(QLatin1String(pagetext::Priority(r.Priority))),
        AT(TaskRecord, Priority)),
    ROW(TaskRecord, "Due Date", DateIfPositive(r.DueDate, DateText), AT(TaskRecord, DueDate)),
    ROW(TaskRecord, "Completed", YesNo(r.IsCompleted), AT(TaskRecord, IsCompleted)),
    ROW(TaskRecord, "Private", YesNo(r.IsPrivate), AT(TaskRecord, IsPrivate)),
    TEXT(TaskRecord, "Notes", Details),
    ROW(TaskRecord, "Create Time", DateIfPositive(r.CreateTime, DateTimeText), AT(TaskRecord, CreateTime)),
    ROW(TaskRecord, "Edit Date", DateIfPositive(r.EditDate, DateTimeText), AT(TaskRecord, EditDate)),
    TEXT(TaskRecord, "Extra Text", ExtraText),
    ROW(TaskRecord, "Extra Values", Numbers(r.ExtraValues, std::size(r.ExtraValues)), AT(TaskRecord, ExtraValues)),
    ROW(TaskRecord, "Extra Number", Number(r.ExtraDouble), AT(TaskRecord, ExtraDouble)),
};

const CompareField kNoteFields[] = {
    TEXT(NoteRecord, "Notes", NoteText),
    TEXT(NoteRecord, "Create User Name", CreateUserName),
    TEXT(NoteRecord, "Edit User Name", EditUserName),
    TEXT(NoteRecord, "Manage User Name", ManageUserName),
    ROW(NoteRecord, "Private", YesNo(r.Private), AT(NoteRecord, Private)),
    ROW(NoteRecord, "Create Time", DateIfNotZero(r.CreateTime, DateTimeText), AT(NoteRecord, CreateTime)),
    ROW(NoteRecord, "Edit Time", DateIfNotZero(r.EditTime, DateTimeText), AT(NoteRecord, EditTime)),
};

#undef TEXT
#undef ROW
#undef AT
#undef PHONE
#undef STREET
#undef CUSTOM

template <std::size_t N> constexpr CompareFieldTable TableOf(const CompareField (&fields)[N])
{
    return CompareFieldTable{fields, N};
}

const CompareFieldTable kTables[kKindCount] = {
    TableOf(kContactFields),
    TableOf(kEventFields),
    TableOf(kTaskFields),
    TableOf(kNoteFields),
};

} // namespace

const CompareFieldTable* FieldsOfKind(int kind)
{
    return kind >= 0 && kind < kKindCount ? &kTables[kind] : nullptr;
}

const RuleTable* RulesOfKind(int kind)
{
    return kind >= 0 && kind < kKindCount ? &KindInfo(static_cast<RecordKind>(kind)).rules() : nullptr;
}

} // namespace compare
