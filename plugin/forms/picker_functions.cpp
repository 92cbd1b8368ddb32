// The file and folder picker script functions.
#include "forms/pickers.h"
#include "host/script_function_frame.h"
#include "host/script_functions.h"

PAGINOR_SCRIPT_FUNCTION(QELT_FileBrowse) {
    return RunScriptFunction(parameters, result, {0, 0}, [](const ParamReader&) {
        return ScriptResult(WithoutCarriageReturns(BrowseForPdfFile()));
    });
}

PAGINOR_SCRIPT_FUNCTION(QELT_FolderBrowse) {
    return RunScriptFunction(parameters, result, {1, 1}, [](const ParamReader& params) {
        return ScriptResult(WithoutCarriageReturns(BrowseForFolder(params.Wide(0))));
    });
}
