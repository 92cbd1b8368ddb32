#include "errors/error_messages.h"

#include "errors/error_codes.h"

#include <algorithm>
#include <array>
#include <utility>

namespace {

constexpr std::array<std::pair<std::int32_t, const char*>, 27> kMessages{{
    {kErrorInvalidParameterCount, "Invalid Number of Parameters"},
    {kErrorInvalidParameterValue, "Invalid Parameter value(s)"},
    {kErrorLibraryFailedToLoad, "Library failed to load"},
    {kErrorFileNotFound, "The specified file cannot be found"},
    {kErrorUnknownException, "Unknown Exception"},
    {kErrorComException, "COM Exception"},
    {kErrorNoDocumentOpen, "No PDF Document opened"},
    {kErrorInvalidInfoItem, "Invalid Info Item name"},
    {kErrorCannotDeletePages, "Unable to delete pages"},
    {kErrorDocumentStillOpenMisspelt, "A docment is still opened"},
    {kErrorDocumentStillOpen, "A document is still opened"},
    {kErrorAcrobatNotOpen, "Acrobat is not opened"},
    {kErrorNoViewerFile, "No AV File opened"},
    {kErrorFieldsUnavailable, "Unable to access fields in document"},
    {kErrorInvalidStartPage, "Invalid start page number"},
    {kErrorInvalidEndPage, "Invalid end page number"},
    {kErrorInvalidPageRange, "Invalid page range"},
    {kErrorFileAlreadyOpen, "A file is already opened"},
    {kErrorCannotPrint, "Unable to print"},
    {kErrorCannotHideAcrobat, "Unable to hide acrobat"},
    {kErrorCannotOpenPdf, "Unable to open the PDF file"},
    {kErrorCannotInsertPages, "Unable to insert pages"},
    {kErrorCannotSavePdf, "Unable to save the PDF file"},
    {kErrorCannotDeleteFile, "Unable to delete the file"},
    {kErrorCannotShowAcrobat, "Unable to show acrobat"},
    {kErrorCannotSetDocumentInfo, "Unable to set the document information"},
    {kErrorCannotGetPageText, "Unable to get text from the page"},
}};

} // namespace

const char* ErrorMessageFor(std::int32_t code) {
    const auto found = std::find_if(kMessages.begin(), kMessages.end(),
                                    [code](const auto& entry) { return entry.first == code; });
    return found != kMessages.end() ? found->second : "Undefined error. ";
}
