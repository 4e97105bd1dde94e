#pragma once

#include <cstddef>

// "N/A" for a date below 0.001 (none, or negative), otherwise the date or time text of CxDateTime.
// False, with nothing written, for a null buffer or a size of 0.
bool FormatVariantDate(double date, char* buffer, std::size_t size);
bool FormatVariantTime(double date, char* buffer, std::size_t size);
