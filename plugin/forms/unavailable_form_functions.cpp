// Form, document-information and picker functions whose operations are not
// built yet.
#include "host/script_functions.h"
#include "host/unavailable_function.h"

PAGINOR_SCRIPT_FUNCTION(QELT_SetPDFFieldValue) {
    return RunUnavailableFunction(parameters, result, {2, 2});
}
PAGINOR_SCRIPT_FUNCTION(QELT_GetPDFFieldValue) {
    return RunUnavailableFunction(parameters, result, {1, 1});
}
PAGINOR_SCRIPT_FUNCTION(QELT_GetFieldNames) {
    return RunUnavailableFunction(parameters, result, {0, 1});
}
PAGINOR_SCRIPT_FUNCTION(QELT_GetPDFInfo) {
    return RunUnavailableFunction(parameters, result, {1, 1});
}
PAGINOR_SCRIPT_FUNCTION(QELT_SetPDFInfo) {
    return RunUnavailableFunction(parameters, result, {2, 2});
}
PAGINOR_SCRIPT_FUNCTION(QELT_FileBrowse) {
    return RunUnavailableFunction(parameters, result, {0, 0});
}
PAGINOR_SCRIPT_FUNCTION(QELT_FolderBrowse) {
    return RunUnavailableFunction(parameters, result, {1, 1});
}
