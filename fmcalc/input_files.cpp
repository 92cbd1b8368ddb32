#include "input_files.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace fmcalc {
namespace {

FileContents failure(const std::string& path, const std::string& why) {
    return {std::nullopt, "cannot read " + path + ": " + why};
}

std::string reason(int error) {
    return std::generic_category().message(error);
}

} // namespace

FileContents read_input_file(const std::string& path) {
    const bool standard_input = path == "-";
    const int fd = standard_input ? STDIN_FILENO : ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return failure(path, reason(errno));
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
        ::close(fd);
        return failure(path, "it is a folder, not a file");
    }
    std::string bytes;
    char chunk[65536];
    for (;;) {
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            const int error = errno;
            if (!standard_input)
                ::close(fd);
            return failure(path, reason(error));
        }
        if (got == 0)
            break;
        bytes.append(chunk, static_cast<std::size_t>(got));
    }
    if (!standard_input)
        ::close(fd);
    return {std::move(bytes), {}};
}

} // namespace fmcalc
