// Script functions that open, close, delete, save and count the pages of the
// session's document.
#include "host/script_function_frame.h"
#include "host/script_functions.h"
#include "input_hooks/input_blocking_hooks.h"
#include "session/pdf_session.h"

PAGINOR_SCRIPT_FUNCTION(QELT_OpenPDF) {
    return RunScriptFunction(parameters, result, {1, 1}, [](const ParamReader& params) {
        const std::optional<WideString> path = params.Wide(0);
        // Opening can take long and shows windows: keep the user's input away
        // from the host meanwhile, including for a refused path.
        InputBlockingHooks hooks;
        if (!path) {
            return RefuseParameterValues();
        }
        return ScriptResult(PdfSession().OpenPDF(*path));
    });
}

PAGINOR_SCRIPT_FUNCTION(QELT_ClosePDF) {
    // One parameter is tolerated and ignored.
    return RunScriptFunction(parameters, result, {0, 1}, [](const ParamReader&) {
        return ScriptResult(PdfSession().ClosePDF());
    });
}

PAGINOR_SCRIPT_FUNCTION(QELT_DeletePDF) {
    return RunScriptFunction(parameters, result, {1, 1}, [](const ParamReader& params) {
        const std::optional<WideString> path = params.Wide(0);
        if (!path) {
            return RefuseParameterValues();
        }
        return ScriptResult(PdfSession().DeletePDF(*path));
    });
}

PAGINOR_SCRIPT_FUNCTION(QELT_SavePDF) {
    return RunScriptFunction(parameters, result, {0, 0}, [](const ParamReader&) {
        return ScriptResult(PdfSession().SavePDF(WideString()));
    });
}

PAGINOR_SCRIPT_FUNCTION(QELT_SaveAsPDF) {
    // Registered for 0 to 1 parameters, but an empty path would mean "in
    // place", which only QELT_SavePDF asks for.
    return RunScriptFunction(parameters, result, {1, 1}, [](const ParamReader& params) {
        const std::optional<WideString> path = params.Wide(0);
        if (!path) {
            return RefuseParameterValues();
        }
        return ScriptResult(PdfSession().SavePDF(*path));
    });
}

PAGINOR_SCRIPT_FUNCTION(QELT_GetNumPages) {
    return RunScriptFunction(parameters, result, {0, 0}, [](const ParamReader&) {
        return ScriptResult(PdfSession().GetNumPages());
    });
}
