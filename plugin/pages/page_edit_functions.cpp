// The script functions that change the open document's pages.
#include "host/script_function_frame.h"
#include "host/script_functions.h"
#include "host/value_conversion.h"
#include "pages/page_index.h"
#include "session/pdf_session.h"

PAGINOR_SCRIPT_FUNCTION(QELT_InsertPages) {
    return RunScriptFunction(parameters, result, {5, 5}, [](const ParamReader& params) {
        const LONG afterPage = params.Long(0);
        const std::optional<WideString> sourcePath = params.Wide(1);
        const LONG startPage = params.Long(2);
        const LONG numPages = params.Long(3);
        bool includeBookmarks = false; // also for an empty parameter
        if (const std::optional<WideString> word = params.Wide(4)) {
            const YesNo answer = ParseYesNoWord(*word);
            // A word that is neither yes nor no is refused rather than read as no.
            if (answer == YesNo::Invalid) {
                return RefuseParameterValues();
            }
            includeBookmarks = answer == YesNo::Yes;
        }
        return ScriptResult(
            PdfSession().InsertPages(afterPage, sourcePath, startPage, numPages, includeBookmarks));
    });
}

PAGINOR_SCRIPT_FUNCTION(QELT_DeletePages) {
    return RunScriptFunction(parameters, result, {2, 2}, [](const ParamReader& params) {
        return ScriptResult(
            PdfSession().DeletePages(IndexOfPage(params.Long(0)), IndexOfPage(params.Long(1))));
    });
}

PAGINOR_SCRIPT_FUNCTION(QELT_AppendPDF) {
    return RunScriptFunction(parameters, result, {1, 1}, [](const ParamReader& params) {
        return ScriptResult(PdfSession().AppendPDF(params.Wide(0).value_or(OLESTR(""))));
    });
}
