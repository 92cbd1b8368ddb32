// The words the proxies use for what a call was doing, for the description
// of a call during which the PDF engine was lost ("reading the text of
// page 1").
#pragma once

#include "com/com.h"

#include <string>

namespace paginor::automation_proxies {

// "\"text\"", for a path, a key or a field name.
std::u16string Quoted(BSTR text);
std::u16string Quoted(const std::u16string& text);
// Decimal digits of a number.
std::u16string Number(long long value);
// "page 3" for the 0-based index 2.
std::u16string PageAt(LONG index);
// "pages 2 to 4" for the 0-based range [1, 3]; "page 2" when one page.
std::u16string PagesFrom(LONG first, LONG last);

} // namespace paginor::automation_proxies
