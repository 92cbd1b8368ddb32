#include "engine/document/document_bytes.h"

#include "engine/document/engine_document.h"
#include "engine/document/engine_limits.h"
#include "engine/document/mapping_guard.h"
#include "engine/document/regular_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <sys/mman.h>
#include <sys/sendfile.h>
#include <system_error>
#include <unistd.h>

namespace paginor::engine {

namespace {

[[noreturn]] void failRead(const std::string& path, int error) {
    throw DocumentLoadError(ErrorKind::IoFailure,
                            "Cannot read " + path + ": " + std::strerror(error), error);
}

std::uint64_t mapFilesFrom() {
    const char* text = std::getenv(kMapFilesFromVariable);
    return text ? parseByteSize(text).value_or(kDefaultMapFilesFrom) : kDefaultMapFilesFrom;
}

std::size_t pageRounded(std::size_t size) {
    const auto page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    return (size + page - 1) / page * page;
}

// Reads straight into the string (a bounce buffer would copy the file once
// more), then on past the size stat gave in case the file grew.
std::string readAll(const std::string& path, OpenedRegularFile& file, std::uint64_t limit) {
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(file.status.st_size) + DocumentBytes::kTailRoom);
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

bool sameTime(const timespec& a, const timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

} // namespace

std::unique_ptr<DocumentBytes> DocumentBytes::fromFile(const std::string& path) {
    const std::uint64_t limit = maxFileSize();
    OpenedRegularFile file;
    try {
        file = openRegularFileForReading(path, limit);
    } catch (const EngineError& error) {
        throw DocumentLoadError(error.kind(), error.what(), error.systemError());
    }
    const auto size = static_cast<std::size_t>(file.status.st_size);
    if (size == 0 || size < mapFilesFrom()) {
        return fromMemory(readAll(path, file, limit));
    }
    // A range for the file and the tail after it, then the file mapped over
    // its start. Private and writable, so the tail can begin in the file's
    // last page; sealed read-only once the tail is in.
    const std::size_t reserved = pageRounded(size + kTailRoom);
    void* range =
        mmap(nullptr, reserved, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (range == MAP_FAILED) {
        return fromMemory(readAll(path, file, limit));
    }
    if (mmap(range, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_FIXED, file.descriptor.get(),
             0) == MAP_FAILED ||
        !guardMapping(range, reserved, file.descriptor.get())) {
        munmap(range, reserved);
        return fromMemory(readAll(path, file, limit));
    }
    // Changed between the first look and the lease: read as it is now.
    struct stat leased {};
    if (::fstat(file.descriptor.get(), &leased) != 0 || leased.st_size != file.status.st_size ||
        !sameTime(leased.st_mtim, file.status.st_mtim)) {
        unguardMapping(range);
        munmap(range, reserved);
        return fromMemory(readAll(path, file, limit));
    }
    std::unique_ptr<DocumentBytes> bytes(new DocumentBytes());
    bytes->mapping_ = range;
    bytes->mappingLength_ = reserved;
    bytes->device_ = file.status.st_dev;
    bytes->inode_ = file.status.st_ino;
    bytes->modified_ = file.status.st_mtim;
    bytes->file_ = std::move(file.descriptor);
    bytes->data_ = static_cast<const char*>(range);
    bytes->originalSize_ = bytes->size_ = size;
    return bytes;
}

std::unique_ptr<DocumentBytes> DocumentBytes::fromMemory(std::string bytes) {
    std::unique_ptr<DocumentBytes> result(new DocumentBytes());
    result->copy_ = std::move(bytes);
    result->data_ = result->copy_.data();
    result->originalSize_ = result->size_ = result->copy_.size();
    return result;
}

DocumentBytes::~DocumentBytes() {
    if (mapping_) {
        unguardMapping(mapping_);
        munmap(mapping_, mappingLength_);
    }
}

void DocumentBytes::append(std::string_view tail) {
    if (size_ != originalSize_ || tail.size() > kTailRoom) {
        throw std::logic_error("DocumentBytes::append: one tail of at most kTailRoom bytes");
    }
    if (mapping_) {
        std::memcpy(static_cast<char*>(mapping_) + size_, tail.data(), tail.size());
        size_ += tail.size();
        sealMapping(mapping_);
        return;
    }
    copy_.append(tail);
    data_ = copy_.data();
    size_ = copy_.size();
}

bool DocumentBytes::isIntact() const {
    if (!mapping_ || mappingWasCopied(mapping_)) {
        return true;
    }
    struct stat now {};
    return ::fstat(file_.get(), &now) == 0 &&
           static_cast<std::size_t>(now.st_size) == originalSize_ &&
           sameTime(now.st_mtim, modified_);
}

void DocumentBytes::writeOriginalTo(int out) const {
    std::size_t done = 0;
    if (mapping_) {
        // The file itself is the source: no page of it passes through here.
        // What one call copies was copied under the lease; once another
        // program has broken it, the rest comes from the copy in memory.
        // Between two file systems copy_file_range refuses (EXDEV) and
        // sendfile still copies inside the kernel.
        constexpr std::size_t kChunk = std::size_t{8} << 20;
        loff_t from = 0;
        bool acrossFileSystems = false;
        while (done < originalSize_ && !mappingWasCopied(mapping_)) {
            const std::size_t length = std::min(kChunk, originalSize_ - done);
            const ssize_t copied =
                acrossFileSystems ? ::sendfile(out, file_.get(), &from, length)
                                  : ::copy_file_range(file_.get(), &from, out, nullptr, length, 0);
            if (copied < 0 && errno == EINTR) {
                continue;
            }
            if (copied < 0 && errno == EXDEV && !acrossFileSystems) {
                acrossFileSystems = true;
                continue;
            }
            if (copied <= 0) {
                break; // not between these file systems, or cut short: written below
            }
            done += static_cast<std::size_t>(copied);
        }
    }
    while (done < originalSize_) {
        const ssize_t written = ::write(out, data_ + done, originalSize_ - done);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            throw std::system_error(written < 0 ? errno : EIO, std::generic_category());
        }
        done += static_cast<std::size_t>(written);
    }
}

bool DocumentBytes::sameOriginalAs(const DocumentBytes& other) const {
    if (originalSize_ != other.originalSize_) {
        return false;
    }
    if (mapping_ && other.mapping_ && !mappingWasCopied(mapping_) &&
        !mappingWasCopied(other.mapping_) && device_ == other.device_ && inode_ == other.inode_ &&
        sameTime(modified_, other.modified_) && isIntact() && other.isIntact()) {
        return true;
    }
    return original() == other.original();
}

} // namespace paginor::engine
