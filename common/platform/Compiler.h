#pragma once

// Compiler-specific spellings, so that the sources build with GCC and Clang (Linux, MinGW-w64) and
// with MSVC alike.

#if defined(_MSC_VER) && !defined(__clang__) && (defined(_M_X64) || defined(_M_IX86))
#include <xmmintrin.h>
#endif

// Lets the compiler check the arguments of a printf-style function against its format. MinGW-w64
// checks against the C runtime that its printf family actually uses.
#if defined(__MINGW32__) && defined(__MINGW_PRINTF_FORMAT)
#define VELLORAN_PRINTF_FORMAT(formatIndex, firstArgument)                                                             \
    __attribute__((format(__MINGW_PRINTF_FORMAT, formatIndex, firstArgument)))
#elif defined(__GNUC__) || defined(__clang__)
#define VELLORAN_PRINTF_FORMAT(formatIndex, firstArgument) __attribute__((format(printf, formatIndex, firstArgument)))
#else
#define VELLORAN_PRINTF_FORMAT(formatIndex, firstArgument)
#endif

namespace platform {

// A hint that the bytes at `address` will be read soon; never faults, even for an address that is not
// mapped.
inline void prefetch(const void* address)
{
#if defined(__GNUC__) || defined(__clang__)
    __builtin_prefetch(address);
#elif defined(_MSC_VER) && (defined(_M_X64) || defined(_M_IX86))
    _mm_prefetch(static_cast<const char*>(address), _MM_HINT_T0);
#else
    (void)address;
#endif
}

} // namespace platform
