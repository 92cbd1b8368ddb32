// The printing script function.
#include "host/script_function_frame.h"
#include "host/script_functions.h"
#include "host/value_conversion.h"
#include "input_hooks/input_blocking_hooks.h"
#include "session/pdf_session.h"

PAGINOR_SCRIPT_FUNCTION(QELT_PrintPDF) {
    return RunScriptFunction(parameters, result, {0, 1}, [](const ParamReader& params) {
        bool longForm = false; // also without a parameter or with an empty one
        if (const std::optional<WideString> word =
                params.Count() == 1 ? params.Wide(0) : std::nullopt) {
            const YesNo answer = ParseYesNoWord(*word);
            // A word that is neither yes nor no is refused rather than read as no.
            if (answer == YesNo::Invalid) {
                return RefuseParameterValues();
            }
            longForm = answer == YesNo::Yes;
        }
        // Input is blocked only while the print request runs.
        const InputBlockingHooks hooks;
        return ScriptResult(PdfSession().PrintPDF(longForm));
    });
}
