// The document-information script functions.
#include "forms/pdf_date.h"
#include "host/script_function_frame.h"
#include "host/script_functions.h"
#include "session/pdf_session.h"

PAGINOR_SCRIPT_FUNCTION(QELT_GetPDFInfo) {
    return RunScriptFunction(parameters, result, {1, 1}, [](const ParamReader& params) {
        // An empty key is left to the session, which refuses it after the
        // document check.
        const std::u16string key = params.Wide(0).value_or(u"");
        std::u16string entry = PdfSession().GetDocInfo(key);
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
        const std::optional<std::u16string> key = params.Wide(0);
        const std::u16string value = params.Wide(1).value_or(u"");
        if (!key) {
            return RefuseParameterValues();
        }
        return ScriptResult(PdfSession().SetDocInfo(*key, value));
    });
}
