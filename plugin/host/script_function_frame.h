// The frame every script function runs in. It
//   1. clears the last-error record (unless the function keeps it),
//   2. enters the plug-in's module state,
//   3. refuses a parameter count outside the accepted range (-3, "!!ERROR!!"),
//   4. runs the body, which reads and validates its parameters and calls its
//      operation, returning the result text (or a number or date),
//   5. stores the result in the host's result object,
// and returns 0 to the host whatever happened. Any exception escaping the
// body or the host calls is recorded as -998 "Unknown Exception" (detail from
// UnknownExceptionDetail) and the result becomes "!!ERROR!!".
//
// Example:
//
//     int16_t QELT_GetPDFFieldValue(int16_t, const FMX_ExprEnv*, const FMX_DataVect* parameters,
//                                   FMX_Data* result) {
//         return RunScriptFunction(parameters, result, {1, 1}, [](const ParamReader& params) {
//             const auto name = params.Wide(0);
//             if (!name) {
//                 return RefuseParameterValues(); // -4, "!!ERROR!!"
//             }
//             return ScriptResult(PdfSession().GetFieldValue(*name));
//         });
//     }
//
// A body may also return ScriptResult::Number(-2000) or
// ScriptResult::Date(2020, 3, 15, 10, 15, 20).
#pragma once

#include "fmx/fmx.h"
#include "win/wide_string.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

inline constexpr WideStringView kFailureText = OLESTR("!!ERROR!!");

// Read access to the call's parameters (the value helpers of value_conversion.h,
// bound to one data vector). Reading an index at or past Count() gives no
// string / 0 / false.
class ParamReader {
public:
    explicit ParamReader(const FMX_DataVect* parameters) : m_parameters(parameters) {}
    std::uint32_t Count() const;
    std::optional<WideString> Wide(std::uint32_t index) const;
    std::int32_t Long(std::uint32_t index) const;
    bool Bool(std::uint32_t index) const;
    const FMX_DataVect* Raw() const noexcept { return m_parameters; }

private:
    const FMX_DataVect* m_parameters;
};

class ScriptResult {
public:
    enum class Kind { Text, Number, Date };
    struct DateParts {
        std::int16_t year, month, day, hour, minute, second;
    };

    ScriptResult(WideString text) : m_text(std::move(text)) {}
    ScriptResult(WideStringView text) : m_text(text) {}
    ScriptResult(const WCHAR* text) : m_text(text) {}
    static ScriptResult Number(std::int32_t value);
    static ScriptResult Date(std::int16_t year, std::int16_t month, std::int16_t day,
                             std::int16_t hour, std::int16_t minute, std::int16_t second);

    Kind kind() const noexcept { return m_kind; }
    const WideString& text() const noexcept { return m_text; }
    std::int32_t number() const noexcept { return m_number; }
    const DateParts& date() const noexcept { return m_date; }

private:
    ScriptResult() = default;
    Kind m_kind = Kind::Text;
    WideString m_text;
    std::int32_t m_number = 0;
    DateParts m_date{};
};

// Records -4 "Invalid Parameter value(s)" and gives "!!ERROR!!".
ScriptResult RefuseParameterValues();

struct AcceptedParamCount {
    std::uint32_t min;
    std::uint32_t max;
};
// For the functions whose only limit is the host's registration.
inline constexpr AcceptedParamCount kAnyParamCount{0, UINT32_MAX};

// A non-owning, non-allocating reference to the body.
class ScriptBody {
public:
    template <typename Body,
              typename = std::enable_if_t<!std::is_same_v<std::decay_t<Body>, ScriptBody>>>
    ScriptBody(Body&& body) noexcept
        : m_object(const_cast<void*>(static_cast<const void*>(&body))),
          m_call([](void* object, const ParamReader& params) -> ScriptResult {
              return (*static_cast<std::remove_reference_t<Body>*>(object))(params);
          }) {}
    ScriptResult operator()(const ParamReader& params) const { return m_call(m_object, params); }

private:
    void* m_object;
    ScriptResult (*m_call)(void*, const ParamReader&);
};

enum class LastErrorHandling { Clear, Keep };

std::int16_t RunScriptFunction(const FMX_DataVect* parameters, FMX_Data* result,
                               AcceptedParamCount accepted, ScriptBody body,
                               LastErrorHandling lastError = LastErrorHandling::Clear) noexcept;
