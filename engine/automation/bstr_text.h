// BSTR <-> UTF-8 at the engine's interface edge.
#pragma once

#include "com/com.h"

#include <string>
#include <string_view>

namespace paginor::engine {

std::string utf8FromBstr(BSTR text);
// A new BSTR the caller owns; throws std::bad_alloc when it cannot be made.
BSTR bstrFromUtf8(std::string_view text);

} // namespace paginor::engine
