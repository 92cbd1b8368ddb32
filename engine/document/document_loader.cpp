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

[[noreturn]] void failRead(const std::string& path, int error) {
    throw DocumentLoadError(ErrorKind::IoFailure,
                            "Cannot read " + path + ": " + std::strerror(error), error);
}

// Readers accept a PDF header anywhere in the first kilobyte.
bool hasPdfHeader(const std::string& bytes) {
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
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(file.status.st_size));
    char chunk[65536];
    for (;;) {
        const ssize_t got = ::read(file.descriptor.get(), chunk, sizeof chunk);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            failRead(path, errno);
        }
        if (got == 0) {
            break;
        }
        // A file that grows while it is read is held to the same limit.
        if (bytes.size() + static_cast<std::size_t>(got) > limit) {
            throw DocumentLoadError(ErrorKind::Unsupported,
                                    "Cannot read " + path + ": the file grew beyond the " +
                                        describeByteSize(limit) + " limit (" +
                                        kMaxFileSizeVariable + ") while it was read");
        }
        bytes.append(chunk, static_cast<std::size_t>(got));
    }
    return bytes;
}

std::unique_ptr<QPDF> parsePdf(const std::string& bytes, const std::string& description) {
    auto pdf = std::make_unique<QPDF>();
    pdf->setSuppressWarnings(true);
    pdf->setAttemptRecovery(true);
    try {
        // A null password makes qpdf try the empty user password itself.
        pdf->processMemoryFile(description.c_str(), bytes.data(), bytes.size(), nullptr);
        QPDFPageDocumentHelper(*pdf).getAllPages();
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
    return pdf;
}

} // namespace paginor::engine
