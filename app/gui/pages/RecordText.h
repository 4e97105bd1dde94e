#pragma once

// Texts of record fields as the review and cleaning pages show them.

#include <QString>

#include <cstdint>

namespace pagetext {

// A record's text field, in the system's single-byte encoding.
inline QString Field(const char* field)
{
    return QString::fromLocal8Bit(field);
}

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
