#pragma once

// Words for a record's coded values, as the windows show them: the review and cleaning pages, the viewers,
// the comparison pane and the backup's files. Each lookup is null for a code that has no word of its own,
// so that a caller that must not lose the value can keep the number, while a window shows its fallback.

#include <cstdint>

namespace recordwords {

inline const char* YesNo(bool value)
{
    return value ? "Yes" : "No";
}

// A task's priority: 0 "High", 1 "Normal", 2 "Low". The windows show every other code as "Normal".
inline const char* Priority(std::int32_t priority)
{
    switch (priority) {
    case 0:
        return "High";
    case 1:
        return "Normal";
    case 2:
        return "Low";
    default:
        return nullptr;
    }
}

// A calendar event's type: 0 "Appointment", 1 "Meeting", 2 "Call", 3 "Todo". The calendar viewer shows every
// other code as "Appointment".
inline const char* EventType(std::int32_t type)
{
    static const char* const kWords[] = {"Appointment", "Meeting", "Call", "Todo"};
    return type >= 0 && type <= 3 ? kWords[type] : nullptr;
}

// How an event recurs; the viewer treats every other code as no recurrence.
enum RecurType : std::int32_t
{
    RecurNone = 0,
    RecurDaily = 1,
    RecurWeekly = 2,
    RecurMonthly = 3,
    RecurYearly = 4,
};

inline const char* Recurrence(std::int32_t type)
{
    static const char* const kWords[] = {"None", "Daily", "Weekly", "Monthly", "Yearly"};
    return type >= RecurNone && type <= RecurYearly ? kWords[type] : nullptr;
}

// A monthly or yearly event recurs on a date of the month when its by-date code is 1, on a weekday
// otherwise: the viewer's "Date" and "Day".
constexpr std::int32_t kRecurByDate = 1;

// The weekdays of a weekly recurrence are the bits 0 (Sunday) to 6 (Saturday).
constexpr std::int32_t kWeekdayBits = 0x7F;

inline const char* Weekday(int bit)
{
    static const char* const kDays[7] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
    return bit >= 0 && bit < 7 ? kDays[bit] : nullptr;
}

// An event's recurrence end of 1 or less means that it recurs without end.
constexpr double kNoRecurEnd = 1.0;

} // namespace recordwords
