#include "engine/document/atomic_file_writer.h"

#include "engine/document/save_target.h"
#include "engine/document/temporary_save_file.h"
#include "engine/errors/engine_error.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace paginor::engine {

namespace {

[[noreturn]] void failWrite(const std::string& target, int error) {
    failIo(error, "Cannot write " + target + ": " + std::strerror(error));
}

// The process's file-creation mask, read without changing it (umask() would
// race with other threads creating files).
mode_t currentUmask() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("Umask:", 0) == 0) {
            return static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8));
        }
    }
    return 022;
}

// A replaced file's owner and group where this user may give them (root, or
// a group the user belongs to), then its permission bits (after the owner,
// which would clear set-id bits).
void takeOverIdentity(int file, const SaveTarget& target) {
    if (!target.existing) {
        ::fchmod(file, 0666 & ~currentUmask());
        return;
    }
    const struct stat& old = *target.existing;
    if (::fchown(file, old.st_uid, old.st_gid) != 0) {
        ::fchown(file, static_cast<uid_t>(-1), old.st_gid);
    }
    ::fchmod(file, old.st_mode & 07777);
}

// A stdio stream over the temporary file's descriptor; closing it closes
// the descriptor (and so releases the save's lock).
class OutputStream {
public:
    OutputStream(FileDescriptor descriptor, const std::string& target) {
        stream_ = ::fdopen(descriptor.get(), "wb");
        if (stream_ == nullptr) {
            failWrite(target, errno);
        }
        descriptor.release();
    }
    ~OutputStream() {
        if (stream_ != nullptr) {
            std::fclose(stream_);
        }
    }
    OutputStream(const OutputStream&) = delete;
    OutputStream& operator=(const OutputStream&) = delete;

    std::FILE* get() const { return stream_; }
    // Answers the errno of a failed close, 0 otherwise.
    int close() {
        const int result = std::fclose(std::exchange(stream_, nullptr));
        return result == 0 ? 0 : errno;
    }

private:
    std::FILE* stream_ = nullptr;
};

} // namespace

void writeFileAtomically(const std::string& requestedTarget,
                         const std::function<void(std::FILE*)>& write) {
    const SaveTarget target = resolveSaveTarget(requestedTarget);
    removeAbandonedTemporaryFiles(target.folder.get());

    TemporarySaveFile temporary(target.folder.get(), 0600, requestedTarget);
    takeOverIdentity(temporary.descriptor(), target);
    const int fd = temporary.descriptor();
    // The stream owns a duplicate, so the temporary file keeps its own
    // descriptor (and lock) for naming and renaming after the stream closes.
    const int duplicate = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    if (duplicate < 0) {
        failWrite(requestedTarget, errno);
    }
    OutputStream stream(FileDescriptor(duplicate), requestedTarget);

    try {
        write(stream.get());
    } catch (const EngineError&) {
        throw;
    } catch (const std::exception& error) {
        fail(ErrorKind::Internal, "Cannot write " + requestedTarget + ": " + error.what());
    }
    // qpdf ignores a failed flush at the end of its write (only a closed
    // stream counts), so a full disk would go unnoticed and an empty file
    // would replace the target: the stream's error flag tells.
    if (std::fflush(stream.get()) != 0 || std::ferror(stream.get()) != 0 || ::fsync(fd) != 0) {
        failWrite(requestedTarget, errno != 0 ? errno : EIO);
    }
    if (const int error = stream.close(); error != 0) {
        failWrite(requestedTarget, error);
    }
    temporary.moveOver(target.name);
    // Make the rename itself durable.
    const int folder = ::openat(target.folder.get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
}

} // namespace paginor::engine
