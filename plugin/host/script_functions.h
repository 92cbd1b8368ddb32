// The 24 script functions the plug-in registers, each with the host's
// external-function signature. Each subsystem defines its own.
#pragma once

#include "fmx/fmx.h"

#include <cstdint>

#define PAGINOR_SCRIPT_FUNCTION(name)                                                              \
    std::int16_t name([[maybe_unused]] std::int16_t functionId,                                    \
                      [[maybe_unused]] const FMX_ExprEnv* environment,                             \
                      const FMX_DataVect* parameters, FMX_Data* result)

// host: version and last error
PAGINOR_SCRIPT_FUNCTION(QELT_Version);
PAGINOR_SCRIPT_FUNCTION(QELT_GetLastError);
// session: documents and the viewer
PAGINOR_SCRIPT_FUNCTION(QELT_OpenPDF);
PAGINOR_SCRIPT_FUNCTION(QELT_ClosePDF);
PAGINOR_SCRIPT_FUNCTION(QELT_DeletePDF);
PAGINOR_SCRIPT_FUNCTION(QELT_SavePDF);
PAGINOR_SCRIPT_FUNCTION(QELT_SaveAsPDF);
PAGINOR_SCRIPT_FUNCTION(QELT_GetNumPages);
PAGINOR_SCRIPT_FUNCTION(QELT_ShowAcrobat);
PAGINOR_SCRIPT_FUNCTION(QELT_HideAcrobat);
PAGINOR_SCRIPT_FUNCTION(QELT_CloseAcrobat);
// pages
PAGINOR_SCRIPT_FUNCTION(QELT_InsertPages);
PAGINOR_SCRIPT_FUNCTION(QELT_DeletePages);
PAGINOR_SCRIPT_FUNCTION(QELT_AppendPDF);
PAGINOR_SCRIPT_FUNCTION(QELT_GetTextFromPage);
PAGINOR_SCRIPT_FUNCTION(QELT_GetTextLengthFromPage);
PAGINOR_SCRIPT_FUNCTION(QELT_PrintPDF);
// forms, document information, pickers
PAGINOR_SCRIPT_FUNCTION(QELT_SetPDFFieldValue);
PAGINOR_SCRIPT_FUNCTION(QELT_GetPDFFieldValue);
PAGINOR_SCRIPT_FUNCTION(QELT_GetFieldNames);
PAGINOR_SCRIPT_FUNCTION(QELT_GetPDFInfo);
PAGINOR_SCRIPT_FUNCTION(QELT_SetPDFInfo);
PAGINOR_SCRIPT_FUNCTION(QELT_FileBrowse);
PAGINOR_SCRIPT_FUNCTION(QELT_FolderBrowse);
