// Page arithmetic on the counts the PDF application reports, which may be
// any 32-bit value.
#pragma once

#include "win/win_types.h"

#include <cstdint>

// The 0-based index of 1-based page `pageNumber`; for a page count, the
// index of the last page (-1 for an empty document). Wraps instead of
// overflowing for the most negative value.
inline LONG IndexOfPage(LONG pageNumber) {
    return static_cast<LONG>(static_cast<std::int64_t>(pageNumber) - 1);
}
