// Document and viewer functions whose operations are not built yet.
#include "host/script_functions.h"
#include "host/unavailable_function.h"
#include "session/session_shutdown.h"

void ResetPdfSessionForShutdown() {}

PAGINOR_SCRIPT_FUNCTION(QELT_OpenPDF) {
    return RunUnavailableFunction(parameters, result, {1, 1});
}
PAGINOR_SCRIPT_FUNCTION(QELT_ClosePDF) {
    return RunUnavailableFunction(parameters, result, {0, 1});
}
PAGINOR_SCRIPT_FUNCTION(QELT_DeletePDF) {
    return RunUnavailableFunction(parameters, result, {1, 1});
}
PAGINOR_SCRIPT_FUNCTION(QELT_SavePDF) {
    return RunUnavailableFunction(parameters, result, {0, 0});
}
PAGINOR_SCRIPT_FUNCTION(QELT_SaveAsPDF) {
    return RunUnavailableFunction(parameters, result, {1, 1});
}
PAGINOR_SCRIPT_FUNCTION(QELT_GetNumPages) {
    return RunUnavailableFunction(parameters, result, {0, 0});
}
PAGINOR_SCRIPT_FUNCTION(QELT_ShowAcrobat) {
    return RunUnavailableFunction(parameters, result, {0, 0});
}
PAGINOR_SCRIPT_FUNCTION(QELT_HideAcrobat) {
    return RunUnavailableFunction(parameters, result, {0, 0});
}
PAGINOR_SCRIPT_FUNCTION(QELT_CloseAcrobat) {
    return RunUnavailableFunction(parameters, result, {0, 0});
}
