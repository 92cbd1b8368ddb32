// The code-to-message table of the last-error record.
#pragma once

#include <cstdint>

// The message for `code`, as stored (ASCII); "Undefined error. " for any code
// the table does not hold.
const char* ErrorMessageFor(std::int32_t code);
