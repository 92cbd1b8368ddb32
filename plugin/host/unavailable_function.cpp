#include "host/unavailable_function.h"

#include "errors/last_error_record.h"

std::int16_t RunUnavailableFunction(const FMX_DataVect* parameters, FMX_Data* result,
                                    AcceptedParamCount accepted) noexcept {
    return RunScriptFunction(parameters, result, accepted, [](const ParamReader&) {
        SetError(kErrorUnknownException, 0, u"not available");
        return ScriptResult(kFailureText);
    });
}
