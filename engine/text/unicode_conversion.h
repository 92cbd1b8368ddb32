// UTF-16 / UTF-32 conversion for text coming out of the PDF layer. Unpaired
// surrogates become U+FFFD rather than failing: extracted text is often odd.
#pragma once

#include <string>
#include <string_view>

namespace paginor::text {

std::u32string toUtf32(std::u16string_view text);
std::u16string toUtf16(std::u32string_view text);

} // namespace paginor::text
