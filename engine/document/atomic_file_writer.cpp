#include "engine/document/atomic_file_writer.h"

#include "engine/errors/engine_error.h"

#include <cerrno>
#include <climits>
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

std::string folderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string nameOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The link's destination, so the file it names is what gets replaced.
std::string resolveLink(const std::string& target) {
    struct stat info {};
    if (::lstat(target.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
        char resolved[PATH_MAX];
        if (::realpath(target.c_str(), resolved) != nullptr) {
            return resolved;
        }
    }
    return target;
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

// A new file gets the usual permissions; a replaced one keeps its own.
mode_t modeFor(const std::string& target) {
    struct stat info {};
    if (::stat(target.c_str(), &info) == 0) {
        return info.st_mode & 07777;
    }
    return 0666 & ~currentUmask();
}

class TemporaryFile {
public:
    explicit TemporaryFile(std::string path) : path_(std::move(path)) {}
    ~TemporaryFile() {
        if (file_ != nullptr) {
            std::fclose(file_);
        }
        if (!kept_) {
            ::unlink(path_.c_str());
        }
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    void attach(std::FILE* file) { file_ = file; }
    std::FILE* file() const { return file_; }
    // Closes the stream; answers the errno of a failed close, 0 otherwise.
    int close() {
        const int result = std::fclose(std::exchange(file_, nullptr));
        return result == 0 ? 0 : errno;
    }
    void keep() { kept_ = true; }
    const std::string& path() const { return path_; }

private:
    std::string path_;
    std::FILE* file_ = nullptr;
    bool kept_ = false;
};

} // namespace

void writeFileAtomically(const std::string& requestedTarget,
                         const std::function<void(std::FILE*)>& write) {
    const std::string target = resolveLink(requestedTarget);
    struct stat info {};
    if (::stat(target.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
        failWrite(requestedTarget, EISDIR);
    }
    std::string pattern = folderOf(target) + "/." + nameOf(target) + ".XXXXXX";
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) {
        failWrite(requestedTarget, errno);
    }
    TemporaryFile temporary(pattern);
    std::FILE* stream = ::fdopen(fd, "wb");
    if (stream == nullptr) {
        const int error = errno;
        ::close(fd);
        failWrite(requestedTarget, error);
    }
    temporary.attach(stream);
    ::fchmod(fd, modeFor(target));

    try {
        write(stream);
    } catch (const EngineError&) {
        throw;
    } catch (const std::exception& error) {
        fail(ErrorKind::Internal, "Cannot write " + requestedTarget + ": " + error.what());
    }
    // qpdf ignores a failed flush at the end of its write (only a closed
    // stream counts), so a full disk would go unnoticed and an empty file
    // would replace the target: the stream's error flag tells.
    if (std::fflush(stream) != 0 || std::ferror(stream) != 0 || ::fsync(fd) != 0) {
        failWrite(requestedTarget, errno != 0 ? errno : EIO);
    }
    if (const int error = temporary.close(); error != 0) {
        failWrite(requestedTarget, error);
    }
    if (::rename(temporary.path().c_str(), target.c_str()) != 0) {
        failWrite(requestedTarget, errno);
    }
    temporary.keep();
    // Make the rename itself durable.
    const int folder = ::open(folderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
}

} // namespace paginor::engine
