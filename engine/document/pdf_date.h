// Date texts for the Info dictionary and for XMP, in local time with its
// offset from UTC.
#pragma once

#include <ctime>
#include <string>

namespace paginor::engine {

// "D:YYYYMMDDHHmmSS+HH'mm'" (or "Z" for UTC).
std::string pdfDate(std::time_t when);
// "YYYY-MM-DDTHH:mm:SS+HH:mm" (or "Z" for UTC).
std::string xmpDate(std::time_t when);

} // namespace paginor::engine
