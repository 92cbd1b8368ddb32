// The form-field script functions.
#include "host/script_function_frame.h"
#include "host/script_functions.h"
#include "session/pdf_session.h"

PAGINOR_SCRIPT_FUNCTION(QELT_SetPDFFieldValue) {
    return RunScriptFunction(parameters, result, {2, 2}, [](const ParamReader& params) {
        const std::optional<WideString> name = params.Wide(0);
        const WideString value = params.Wide(1).value_or(OLESTR(""));
        // Refused before any document check.
        if (!name) {
            return RefuseParameterValues();
        }
        return ScriptResult(PdfSession().SetFieldValue(*name, value));
    });
}

PAGINOR_SCRIPT_FUNCTION(QELT_GetPDFFieldValue) {
    return RunScriptFunction(parameters, result, {1, 1}, [](const ParamReader& params) {
        const std::optional<WideString> name = params.Wide(0);
        if (!name) {
            return RefuseParameterValues();
        }
        return ScriptResult(PdfSession().GetFieldValue(*name));
    });
}

PAGINOR_SCRIPT_FUNCTION(QELT_GetFieldNames) {
    return RunScriptFunction(parameters, result, {0, 1}, [](const ParamReader& params) {
        const bool includeValues = params.Count() == 1 && params.Bool(0);
        return ScriptResult(PdfSession().GetFieldNames(includeValues));
    });
}
