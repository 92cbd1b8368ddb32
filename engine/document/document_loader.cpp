#include "engine/document/document_loader.h"

#include "engine/document/engine_document.h"

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFExc.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>

namespace paginor::engine {

namespace {

// Readers accept a PDF header anywhere in the first kilobyte.
bool hasPdfHeader(std::string_view bytes) {
    return bytes.substr(0, 1024).find("%PDF-") != std::string::npos;
}

} // namespace

std::unique_ptr<QPDF> parsePdf(std::string_view bytes, const std::string& description) {
    auto pdf = std::make_unique<QPDF>();
    pdf->setSuppressWarnings(true);
    pdf->setAttemptRecovery(true);
    bool readablePage = false;
    try {
        // A null password makes qpdf try the empty user password itself.
        pdf->processMemoryFile(description.c_str(), bytes.data(), bytes.size(), nullptr);
        QPDFPageDocumentHelper(*pdf).getAllPages();
        for (QPDFObjectHandle page : pdf->getAllPages()) {
            readablePage = readablePage || page.isDictionary();
        }
    } catch (const QPDFExc& error) {
        if (error.getErrorCode() == qpdf_e_password) {
            throw DocumentLoadError(ErrorKind::Refused,
                                    "Cannot open " + description +
                                        ": the document is protected by a password");
        }
        if (!hasPdfHeader(bytes)) {
            throw DocumentLoadError(ErrorKind::Unsupported,
                                    "Cannot open " + description + ": not a PDF file");
        }
        throw DocumentLoadError(ErrorKind::Unsupported, "Cannot open " + description +
                                                            " as a PDF: damaged beyond repair (" +
                                                            error.getMessageDetail() + ")");
    } catch (const std::exception& error) {
        throw DocumentLoadError(ErrorKind::Unsupported, std::string("Cannot open ") + description +
                                                            " as a PDF: " + error.what());
    }
    // qpdf answers a missing, empty or unreadable page tree (an object
    // stream that holds itself, kids that are not dictionaries) with no page
    // or with pages that are not dictionaries. Such a document would open with
    // nothing to show, save without /Pages and append nothing.
    if (!readablePage) {
        throw DocumentLoadError(ErrorKind::Unsupported, std::string("Cannot open ") + description +
                                                            ": " + kNoUsablePageTree);
    }
    return pdf;
}

ParsedDocument parseWithSpares(std::unique_ptr<DocumentBytes> bytes,
                               const std::string& description) {
    ParsedDocument parsed;
    const std::string_view original = bytes->original();
    parsed.last = readLastCrossReference(original);
    if (parsed.last) {
        parsed.spares =
            SpareObjects{static_cast<int>(parsed.last->size), spareCountFor(parsed.last->size)};
        const bool lineEnd =
            !original.empty() && (original.back() == '\n' || original.back() == '\r');
        bytes->append(spareObjectSection(*parsed.last, original.size(), lineEnd, parsed.spares));
    }
    std::shared_ptr<const DocumentBytes> shared = std::move(bytes);
    try {
        parsed.pdf = parsePdf(shared->all(), description);
    } catch (const DocumentLoadError&) {
        if (!parsed.last) {
            throw;
        }
    }
    if (parsed.last && (!parsed.pdf || parsed.pdf->anyWarnings())) {
        // Repaired: parse the file alone, as it is, and save it as a whole.
        parsed.pdf.reset();
        parsed.last.reset();
        parsed.spares = SpareObjects{};
        parsed.pdf = parsePdf(shared->original(), description);
    }
    parsed.bytes = std::move(shared);
    return parsed;
}

} // namespace paginor::engine
