// One JSON object per calculation result:
//   {"type":"text","value":"…"}  {"type":"number","value":-2000}
//   {"type":"date","value":"2020-03-15T10:15:20"}  {"error":"…"}
// each followed by "source", the JSON object that says where it came from.
#pragma once

#include "value.h"

#include <string>
#include <string_view>

namespace fmcalc {

// A JSON string literal (quotes included) for UTF-8 text; control
// characters are escaped, other characters pass through as UTF-8.
std::string json_string(std::string_view utf8);

// `source` is a JSON object (or empty for none).
std::string json_result(const Value& value, std::string_view source = {});

} // namespace fmcalc
