#include "engine/document/document_loader.h"

#include "engine/document/engine_document.h"

#include <qpdf/QPDF.hh>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace paginor::engine {

namespace {

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

[[noreturn]] void failRead(const std::string& path, int error) {
    throw DocumentLoadError(ErrorKind::IoFailure,
                            "Cannot read " + path + ": " + std::strerror(error), error);
}

} // namespace

std::string readWholeFile(const std::string& path) {
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.get() < 0) {
        failRead(path, errno);
    }
    struct stat info {};
    if (::fstat(file.get(), &info) != 0) {
        failRead(path, errno);
    }
    if (!S_ISREG(info.st_mode)) {
        throw DocumentLoadError(ErrorKind::InvalidArgument,
                                "Cannot read " + path + ": not a regular file");
    }
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(info.st_size));
    char chunk[65536];
    for (;;) {
        const ssize_t got = ::read(file.get(), chunk, sizeof chunk);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            failRead(path, errno);
        }
        if (got == 0) {
            break;
        }
        bytes.append(chunk, static_cast<std::size_t>(got));
    }
    return bytes;
}

std::unique_ptr<QPDF> parsePdf(const std::string& bytes, const std::string& description) {
    auto pdf = std::make_unique<QPDF>();
    pdf->setSuppressWarnings(true);
    pdf->setAttemptRecovery(true);
    bool readablePage = false;
    try {
        // A null password makes qpdf try the empty user password itself.
        pdf->processMemoryFile(description.c_str(), bytes.data(), bytes.size(), nullptr);
        for (QPDFObjectHandle page : pdf->getAllPages()) {
            readablePage = readablePage || page.isDictionary();
        }
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

} // namespace paginor::engine
