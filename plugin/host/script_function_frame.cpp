#include "host/script_function_frame.h"

#include "errors/last_error_record.h"
#include "host/plugin_module.h"
#include "host/value_conversion.h"
#include "win/module_state.h"

#include <exception>
#include <memory>

std::uint32_t ParamReader::Count() const {
    return ParamCount(m_parameters);
}

std::optional<WideString> ParamReader::Wide(std::uint32_t index) const {
    if (index >= Count()) {
        return std::nullopt;
    }
    return ParamAsWide(m_parameters, index);
}

std::int32_t ParamReader::Long(std::uint32_t index) const {
    return index < Count() ? ParamAsLong(m_parameters, index) : 0;
}

bool ParamReader::Bool(std::uint32_t index) const {
    return index < Count() && ParamAsBool(m_parameters, index);
}

ScriptResult ScriptResult::Number(std::int32_t value) {
    ScriptResult result;
    result.m_kind = Kind::Number;
    result.m_number = value;
    return result;
}

ScriptResult ScriptResult::Date(std::int16_t year, std::int16_t month, std::int16_t day,
                                std::int16_t hour, std::int16_t minute, std::int16_t second) {
    ScriptResult result;
    result.m_kind = Kind::Date;
    result.m_date = {year, month, day, hour, minute, second};
    return result;
}

ScriptResult RefuseParameterValues() {
    SetError(kErrorInvalidParameterValue, 0, OLESTR(""));
    return ScriptResult(kFailureText);
}

namespace {

void StoreResult(FMX_Data* result, HostText& output, const ScriptResult& value) {
    switch (value.kind()) {
    case ScriptResult::Kind::Number:
        SetNumberResult(result, value.number());
        break;
    case ScriptResult::Kind::Date: {
        const ScriptResult::DateParts& d = value.date();
        SetDateResult(result, d.year, d.month, d.day, d.hour, d.minute, d.second);
        break;
    }
    case ScriptResult::Kind::Text:
        SetTextResult(result, output, value.text());
        break;
    }
}

WideString AsciiToWide(const char* text) {
    WideString wide;
    for (; text != nullptr && *text != '\0'; ++text) {
        wide.push_back(static_cast<unsigned char>(*text));
    }
    return wide;
}

// Records the escaped exception and hands "!!ERROR!!" to the host if it still
// can. Nothing here may throw.
void ContainException(FMX_Data* result, const char* what) noexcept {
    try {
        SetError(kErrorUnknownException, 0, UnknownExceptionDetail(AsciiToWide(what)));
    } catch (...) {
        // Out of memory while reporting: the record keeps what it had.
    }
    try {
        HostText output;
        SetTextResult(result, output, kFailureText);
    } catch (...) {
        // The host cannot even take the failure text; it gets code 0 anyway.
    }
}

} // namespace

std::int16_t RunScriptFunction(const FMX_DataVect* parameters, FMX_Data* result,
                               AcceptedParamCount accepted, ScriptBody body,
                               LastErrorHandling lastError) noexcept {
    try {
        if (lastError == LastErrorHandling::Clear) {
            ClearError();
        }
        ModuleStateGuard moduleState(PluginModuleState());
        HostText output;
        const ParamReader params(parameters);
        const std::uint32_t count = params.Count();
        if (count < accepted.min || count > accepted.max) {
            SetError(kErrorInvalidParameterCount, 0, OLESTR(""));
            SetTextResult(result, output, kFailureText);
            return 0;
        }
        StoreResult(result, output, body(params));
    } catch (const std::exception& exception) {
        ContainException(result, exception.what());
    } catch (...) {
        ContainException(result, "");
    }
    return 0;
}
