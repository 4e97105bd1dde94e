#pragma once

// Words for a record's coded values as the review and cleaning pages show them. Text fields go through
// FieldText (gui/services/FieldText.h), dates through the core's DateText.h.

#include "core/RecordWords.h"

#include <cstdint>

namespace pagetext {

using recordwords::YesNo;

inline const char* Priority(std::int32_t priority)
{
    const char* word = recordwords::Priority(priority);
    return word ? word : "Normal";
}

} // namespace pagetext
