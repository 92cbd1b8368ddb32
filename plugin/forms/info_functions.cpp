// The document-information script functions.
#include "forms/pdf_date.h"
#include "host/script_function_frame.h"
#include "host/script_functions.h"
#include "session/pdf_session.h"

PAGINOR_SCRIPT_FUNCTION(QELT_GetPDFInfo) {
    return RunScriptFunction(parameters, result, {1, 1}, [](const ParamReader& params) {
        // An empty key is left to the session, which refuses it after the
        // document check.
        const WideString key = params.Wide(0).value_or(OLESTR(""));
        WideString entry = PdfSession().GetDocInfo(key);
        if (!IsConvertibleDateEntry(key, entry)) {
            return ScriptResult(std::move(entry));
        }
        const PdfDateFields date = ParsePdfDate(entry);
        return ScriptResult::Date(date.year, date.month, date.day, date.hour, date.minute,
                                  date.second);
    });
}

PAGINOR_SCRIPT_FUNCTION(QELT_SetPDFInfo) {
    return RunScriptFunction(parameters, result, {2, 2}, [](const ParamReader& params) {
        const std::optional<WideString> key = params.Wide(0);
        const WideString value = params.Wide(1).value_or(OLESTR(""));
        if (!key) {
            return RefuseParameterValues();
        }
        return ScriptResult(PdfSession().SetDocInfo(*key, value));
    });
}
