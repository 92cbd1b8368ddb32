// QELT_Version and QELT_GetLastError: the two functions that need no PDF.
#include "errors/last_error_record.h"
#include "host/script_function_frame.h"
#include "host/script_functions.h"
#include "host/value_conversion.h"

namespace {

constexpr WideStringView kShortVersion = OLESTR("3.0.1.0");
constexpr WideStringView kLongVersion = OLESTR("Paginor 3.0.1.0");

} // namespace

PAGINOR_SCRIPT_FUNCTION(QELT_Version) {
    return RunScriptFunction(parameters, result, kAnyParamCount, [](const ParamReader& params) {
        const auto type = params.Wide(0);
        return ScriptResult(type && EqualsIgnoringCase(*type, OLESTR("LONG")) ? kLongVersion
                                                                              : kShortVersion);
    });
}

PAGINOR_SCRIPT_FUNCTION(QELT_GetLastError) {
    return RunScriptFunction(
        parameters, result, kAnyParamCount,
        [](const ParamReader& params) {
            const auto type = params.Wide(0);
            if (type && EqualsIgnoringCase(*type, OLESTR("Number"))) {
                return ScriptResult::Number(LastErrorCode());
            }
            return ScriptResult(LastErrorText());
        },
        LastErrorHandling::Keep);
}
