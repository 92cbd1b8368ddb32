// Page functions whose operations are not built yet.
#include "host/script_functions.h"
#include "host/unavailable_function.h"

PAGINOR_SCRIPT_FUNCTION(QELT_InsertPages) {
    return RunUnavailableFunction(parameters, result, {5, 5});
}
PAGINOR_SCRIPT_FUNCTION(QELT_DeletePages) {
    return RunUnavailableFunction(parameters, result, {2, 2});
}
PAGINOR_SCRIPT_FUNCTION(QELT_AppendPDF) {
    return RunUnavailableFunction(parameters, result, {1, 1});
}
PAGINOR_SCRIPT_FUNCTION(QELT_GetTextFromPage) {
    return RunUnavailableFunction(parameters, result, {1, 1});
}
PAGINOR_SCRIPT_FUNCTION(QELT_GetTextLengthFromPage) {
    return RunUnavailableFunction(parameters, result, {1, 1});
}
PAGINOR_SCRIPT_FUNCTION(QELT_PrintPDF) {
    return RunUnavailableFunction(parameters, result, {0, 1});
}
