#pragma once

// Words for a record's coded values as the review and cleaning pages show them. Text fields go through
// FieldText (gui/services/FieldText.h), dates through the core's DateText.h.

#include <cstdint>

namespace pagetext {

inline const char* YesNo(bool value)
{
    return value ? "Yes" : "No";
}

inline const char* Priority(std::int32_t priority)
{
    switch (priority) {
    case 0:
        return "High";
    case 2:
        return "Low";
    default:
        return "Normal";
    }
}

} // namespace pagetext
