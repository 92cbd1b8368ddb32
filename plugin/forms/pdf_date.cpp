#include "forms/pdf_date.h"

#include "host/value_conversion.h"

namespace {

// The field at 1-based characters [first, first + width), read like the C
// library's decimal conversion; only called when those characters exist.
SHORT Field(WideStringView text, std::size_t first, std::size_t width) {
    return static_cast<SHORT>(WideToLong(text.substr(first - 1, width)));
}

} // namespace

PdfDateFields ParsePdfDate(WideStringView text) {
    if (!text.empty() && text.front() == OLESTR('D')) {
        text.remove_prefix(std::min<std::size_t>(2, text.size()));
    }
    const std::size_t length = text.size();
    PdfDateFields fields;
    fields.year = static_cast<SHORT>(WideToLong(text.substr(0, 4)));
    if (length >= 6) {
        fields.month = Field(text, 5, 2);
    }
    if (length >= 8) {
        fields.day = Field(text, 7, 2);
    }
    if (length >= 10) {
        fields.hour = Field(text, 9, 2);
    }
    if (length >= 12) {
        fields.minute = Field(text, 11, 2);
    }
    if (length >= 14) {
        fields.second = Field(text, 13, 2);
    }
    return fields;
}

bool IsConvertibleDateEntry(WideStringView key, WideStringView text) {
    return (key == OLESTR("CreationDate") || key == OLESTR("ModDate")) &&
           text != OLESTR("!!ERROR!!") && text.size() > 3;
}
