// The page-text script functions.
#include "host/script_function_frame.h"
#include "host/script_functions.h"
#include "host/value_conversion.h"
#include "session/pdf_session.h"

namespace {

// Reads the page number and hands its text to `operation`; a missing page
// number or one below 1 is refused before the session is asked anything.
template <typename Operation>
ScriptResult WithPageNumber(const ParamReader& params, Operation operation) {
    const std::optional<WideString> pageNumber = params.Wide(0);
    if (!pageNumber || WideToLong(*pageNumber) < 1) {
        return RefuseParameterValues();
    }
    return ScriptResult(operation(*pageNumber));
}

} // namespace

PAGINOR_SCRIPT_FUNCTION(QELT_GetTextFromPage) {
    return RunScriptFunction(parameters, result, {1, 1}, [](const ParamReader& params) {
        return WithPageNumber(params, [](const WideString& pageNumber) {
            return PdfSession().GetTextFromPage(pageNumber);
        });
    });
}

PAGINOR_SCRIPT_FUNCTION(QELT_GetTextLengthFromPage) {
    return RunScriptFunction(parameters, result, {1, 1}, [](const ParamReader& params) {
        return WithPageNumber(params, [](const WideString& pageNumber) {
            return PdfSession().GetTextLengthFromPage(pageNumber);
        });
    });
}
