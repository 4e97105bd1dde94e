#pragma once

// One way from a record's text field to a control, for the viewers, the comparison pane and the review
// lists alike: the same bytes must read the same in each of them.

#include <QString>

// A record's text field, in the system's single-byte encoding; empty for none.
inline QString FieldText(const char* field)
{
    return field ? QString::fromLocal8Bit(field) : QString();
}
