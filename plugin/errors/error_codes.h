// The codes the plug-in records in the last-error record.
#pragma once

#include <cstdint>

enum ErrorCode : std::int32_t {
    kErrorNone = 0,
    kErrorInvalidParameterCount = -3,
    kErrorInvalidParameterValue = -4,
    kErrorLibraryFailedToLoad = -200,
    kErrorFileNotFound = -300,
    kErrorUnknownException = -998,
    kErrorComException = -999,
    kErrorNoDocumentOpen = -2000,
    kErrorInvalidInfoItem = -2001,
    kErrorCannotDeletePages = -2002,
    kErrorDocumentStillOpenMisspelt = -2003, // its message keeps the old "docment"
    kErrorDocumentStillOpen = -2004,
    kErrorAcrobatNotOpen = -2006,
    kErrorNoViewerFile = -2007,
    kErrorFieldsUnavailable = -2009,
    kErrorInvalidStartPage = -2010,
    kErrorInvalidEndPage = -2011,
    kErrorInvalidPageRange = -2012,
    kErrorFileAlreadyOpen = -2013,
    kErrorCannotPrint = -2014,
    kErrorCannotHideAcrobat = -2016,
    kErrorCannotOpenPdf = -2017,
    kErrorCannotInsertPages = -2018,
    kErrorCannotSavePdf = -2019,
    kErrorCannotDeleteFile = -2020,
    kErrorCannotShowAcrobat = -2021,
    kErrorCannotSetDocumentInfo = -2022,
    kErrorCannotGetPageText = -2023,
};
