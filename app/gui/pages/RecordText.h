#pragma once

// Texts of record fields as the review and cleaning pages show them.

#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace pagetext {

// A fixed-capacity text field, read no further than its capacity even without a terminator.
template <std::size_t N> QString Field(const char (&field)[N])
{
    return QString::fromLocal8Bit(field, static_cast<qsizetype>(strnlen(field, N)));
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
