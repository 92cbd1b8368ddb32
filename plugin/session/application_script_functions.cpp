// Script functions that show, hide and close the PDF application.
#include "host/script_function_frame.h"
#include "host/script_functions.h"
#include "session/pdf_session.h"

PAGINOR_SCRIPT_FUNCTION(QELT_ShowAcrobat) {
    return RunScriptFunction(parameters, result, {0, 0}, [](const ParamReader&) {
        return ScriptResult(PdfSession().ShowAcrobat());
    });
}

PAGINOR_SCRIPT_FUNCTION(QELT_HideAcrobat) {
    return RunScriptFunction(parameters, result, {0, 0}, [](const ParamReader&) {
        return ScriptResult(PdfSession().HideAcrobat());
    });
}

PAGINOR_SCRIPT_FUNCTION(QELT_CloseAcrobat) {
    return RunScriptFunction(parameters, result, {0, 0}, [](const ParamReader&) {
        return ScriptResult(PdfSession().CloseAcrobat());
    });
}
