#include "engine/document/regular_file.h"

#include "engine/document/engine_limits.h"
#include "engine/errors/engine_error.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>

namespace paginor::engine {

namespace {

[[noreturn]] void failRead(const std::string& path, int error) {
    failIo(error, "Cannot read " + path + ": " + std::strerror(error));
}

bool sameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Opens for reading the very file `located` (an O_PATH descriptor) stands
// for, through its /proc entry; where /proc is missing, the path is opened
// again without blocking and must turn out to be the same file.
FileDescriptor reopenForReading(const std::string& path, const FileDescriptor& located,
                                const struct stat& expected) {
    const std::string procPath = "/proc/self/fd/" + std::to_string(located.get());
    FileDescriptor reading(::open(procPath.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY));
    if (!reading.valid() && (errno == ENOENT || errno == ENOTDIR)) {
        reading.reset(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    }
    if (!reading.valid()) {
        failRead(path, errno);
    }
    struct stat opened {};
    if (::fstat(reading.get(), &opened) != 0) {
        failRead(path, errno);
    }
    if (!sameFile(opened, expected) || !S_ISREG(opened.st_mode)) {
        fail(ErrorKind::InvalidArgument,
             "Cannot read " + path + ": the file was replaced while it was being opened");
    }
    return reading;
}

} // namespace

std::string fileTypeName(mode_t mode) {
    if (S_ISDIR(mode)) {
        return "a directory";
    }
    if (S_ISFIFO(mode)) {
        return "a FIFO";
    }
    if (S_ISSOCK(mode)) {
        return "a socket";
    }
    if (S_ISCHR(mode)) {
        return "a character device";
    }
    if (S_ISBLK(mode)) {
        return "a block device";
    }
    if (S_ISLNK(mode)) {
        return "a symbolic link";
    }
    return "a special file";
}

OpenedRegularFile openRegularFileForReading(const std::string& path, std::uint64_t maxSize) {
    FileDescriptor located(::open(path.c_str(), O_PATH | O_CLOEXEC));
    if (!located.valid()) {
        failRead(path, errno);
    }
    OpenedRegularFile result;
    if (::fstat(located.get(), &result.status) != 0) {
        failRead(path, errno);
    }
    if (!S_ISREG(result.status.st_mode)) {
        fail(ErrorKind::InvalidArgument, "Cannot read " + path + ": not a regular file (" +
                                             fileTypeName(result.status.st_mode) + ")");
    }
    const auto size = static_cast<std::uint64_t>(result.status.st_size);
    if (size > maxSize) {
        fail(ErrorKind::Unsupported, "Cannot read " + path + ": the file has " +
                                         describeByteSize(size) + ", more than the " +
                                         describeByteSize(maxSize) + " limit (" +
                                         kMaxFileSizeVariable + ")");
    }
    result.descriptor = reopenForReading(path, located, result.status);
    return result;
}

} // namespace paginor::engine
