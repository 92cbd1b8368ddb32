// PDF date texts ("D:YYYYMMDDHHmmSS" and a time-zone part) as the calendar
// fields of a host date-time.
#pragma once

#include "win/wide_string.h"
#include "win/win_types.h"

#include <string_view>

struct PdfDateFields {
    SHORT year = 0;
    SHORT month = 1;
    SHORT day = 1;
    SHORT hour = 0;
    SHORT minute = 0;
    SHORT second = 0;

    bool operator==(const PdfDateFields&) const = default;
};

// Reads the fields by position. A leading "D" drops two characters (the
// letter and what should be a colon). Fields past the end of the text keep
// their defaults; the time-zone part is ignored, and values outside the
// calendar pass through unchanged.
PdfDateFields ParsePdfDate(WideStringView text);

// Whether an information entry read under `key` goes back as a date-time:
// a date key whose text is longer than three characters.
bool IsConvertibleDateEntry(WideStringView key, WideStringView text);
