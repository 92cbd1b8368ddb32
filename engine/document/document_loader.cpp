#include "engine/document/document_loader.h"

#include "engine/document/engine_document.h"
#include "engine/document/engine_limits.h"
#include "engine/document/regular_file.h"

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFExc.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace paginor::engine {

namespace {

// Room for the spare-object section (about 60 bytes a spare).
constexpr std::size_t kSpareRoom = 65536;

[[noreturn]] void failRead(const std::string& path, int error) {
    throw DocumentLoadError(ErrorKind::IoFailure,
                            "Cannot read " + path + ": " + std::strerror(error), error);
}

// Readers accept a PDF header anywhere in the first kilobyte.
bool hasPdfHeader(std::string_view bytes) {
    return bytes.substr(0, 1024).find("%PDF-") != std::string::npos;
}

} // namespace

std::string readWholeFile(const std::string& path) {
    const std::uint64_t limit = maxFileSize();
    OpenedRegularFile file;
    try {
        file = openRegularFileForReading(path, limit);
    } catch (const EngineError& error) {
        throw DocumentLoadError(error.kind(), error.what(), error.systemError());
    }
    // Read straight into the string (a bounce buffer would copy a large file
    // once more), then on past the size stat gave in case the file grew.
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(file.status.st_size) + kSpareRoom);
    bytes.resize(static_cast<std::size_t>(file.status.st_size));
    std::size_t filled = 0;
    for (;;) {
        if (filled == bytes.size()) {
            bytes.resize(bytes.size() + 65536);
        }
        const ssize_t got =
            ::read(file.descriptor.get(), bytes.data() + filled, bytes.size() - filled);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            failRead(path, errno);
        }
        if (got == 0) {
            break;
        }
        filled += static_cast<std::size_t>(got);
        // A file that grows while it is read is held to the same limit.
        if (filled > limit) {
            throw DocumentLoadError(ErrorKind::Unsupported,
                                    "Cannot read " + path + ": the file grew beyond the " +
                                        describeByteSize(limit) + " limit (" +
                                        kMaxFileSizeVariable + ") while it was read");
        }
    }
    bytes.resize(filled);
    return bytes;
}

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

ParsedDocument parseWithSpares(std::string bytes, const std::string& description) {
    ParsedDocument parsed;
    parsed.originalSize = bytes.size();
    parsed.last = readLastCrossReference(bytes);
    if (parsed.last) {
        parsed.spares =
            SpareObjects{static_cast<int>(parsed.last->size), spareCountFor(parsed.last->size)};
        const bool lineEnd = !bytes.empty() && (bytes.back() == '\n' || bytes.back() == '\r');
        bytes += spareObjectSection(*parsed.last, parsed.originalSize, lineEnd, parsed.spares);
    }
    auto shared = std::make_shared<const std::string>(std::move(bytes));
    try {
        parsed.pdf = parsePdf(*shared, description);
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
        shared = std::make_shared<const std::string>(shared->substr(0, parsed.originalSize));
        parsed.pdf = parsePdf(*shared, description);
    }
    parsed.bytes = std::move(shared);
    return parsed;
}

} // namespace paginor::engine
