#include "engine/document/save_target.h"

#include "engine/document/regular_file.h"
#include "engine/errors/engine_error.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/fsuid.h>
#include <unistd.h>

namespace paginor::engine {

namespace {

constexpr int kMaxLinksFollowed = 40; // the kernel's own limit

[[noreturn]] void failWrite(const std::string& target, int error) {
    failIo(error, "Cannot write " + target + ": " + std::strerror(error));
}

// The identity the kernel checks file access against (setfsuid(-1) changes
// nothing and answers the current one).
uid_t fileSystemUser() {
    return static_cast<uid_t>(::setfsuid(static_cast<uid_t>(-1)));
}

bool sharedStickyFolder(const struct stat& folder) {
    return (folder.st_mode & S_ISVTX) != 0 && (folder.st_mode & S_IWOTH) != 0;
}

std::string readLinkAt(int folder, const std::string& name, const std::string& requested) {
    std::string text(PATH_MAX, '\0');
    const ssize_t length = ::readlinkat(folder, name.c_str(), text.data(), text.size());
    if (length < 0) {
        failWrite(requested, errno);
    }
    if (static_cast<std::size_t>(length) >= text.size()) {
        failWrite(requested, ENAMETOOLONG);
    }
    text.resize(static_cast<std::size_t>(length));
    return text;
}

} // namespace

std::string folderOfPath(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string nameOfPath(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

SaveTarget resolveSaveTarget(const std::string& requested) {
    std::string path = requested;
    for (int followed = 0;; ++followed) {
        SaveTarget target;
        target.folderPath = folderOfPath(path);
        target.name = nameOfPath(path);
        if (target.name.empty() || target.name == "." || target.name == "..") {
            failWrite(requested, EISDIR);
        }
        target.folder.reset(::open(target.folderPath.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
        if (!target.folder.valid()) {
            failWrite(requested, errno);
        }
        struct stat entry {};
        if (::fstatat(target.folder.get(), target.name.c_str(), &entry, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno == ENOENT) {
                return target; // a new file
            }
            failWrite(requested, errno);
        }
        if (S_ISREG(entry.st_mode)) {
            target.existing = entry;
            return target;
        }
        if (S_ISDIR(entry.st_mode)) {
            failWrite(requested, EISDIR);
        }
        if (!S_ISLNK(entry.st_mode)) {
            fail(ErrorKind::InvalidArgument, "Cannot write " + requested +
                                                 ": not a regular file (" +
                                                 fileTypeName(entry.st_mode) + ")");
        }
        if (followed == kMaxLinksFollowed) {
            failWrite(requested, ELOOP);
        }
        struct stat folder {};
        if (::fstat(target.folder.get(), &folder) != 0) {
            failWrite(requested, errno);
        }
        const uid_t user = fileSystemUser();
        if (sharedStickyFolder(folder) && entry.st_uid != user && entry.st_uid != folder.st_uid) {
            fail(ErrorKind::Refused,
                 "Cannot write " + requested + ": " + path +
                     " is a symbolic link that another user owns in the shared folder " +
                     target.folderPath + "; it is not followed");
        }
        const std::string link = readLinkAt(target.folder.get(), target.name, requested);
        path = !link.empty() && link.front() == '/' ? link
               : target.folderPath == "/"           ? "/" + link
                                                    : target.folderPath + "/" + link;
    }
}

} // namespace paginor::engine
