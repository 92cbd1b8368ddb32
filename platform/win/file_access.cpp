#include "win/file_access.h"

#include "com/com.h"
#include "text_encoding/utf_conversion.h"

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Paths reach POSIX as UTF-8; a null path names nothing.
bool ToPosixPath(const WCHAR* path, std::string& out) {
    if (path == nullptr) {
        return false;
    }
    out = paginor::Utf16ToUtf8(paginor::Utf16View(path));
    return true;
}

// Failure as the C runtime reports it, mirrored into the thread's last error
// code so that a later system-message look-up describes it.
int Fail(int error) {
    errno = error;
    SetLastError(static_cast<DWORD>(error));
    return -1;
}

} // namespace

extern "C" {

int _waccess(const WCHAR* path, int mode) {
    int posixMode = 0;
    switch (mode) {
    case 0:
        posixMode = F_OK;
        break;
    case 2:
        posixMode = W_OK;
        break;
    case 4:
        posixMode = R_OK;
        break;
    case 6:
        posixMode = R_OK | W_OK;
        break;
    default:
        return Fail(EINVAL);
    }
    std::string posixPath;
    if (!ToPosixPath(path, posixPath)) {
        return Fail(EINVAL);
    }
    if (access(posixPath.c_str(), posixMode) == 0) {
        return 0;
    }
    return Fail(errno);
}

int _wunlink(const WCHAR* path) {
    std::string posixPath;
    if (!ToPosixPath(path, posixPath)) {
        return Fail(EINVAL);
    }
    // The entry is looked at and removed through one descriptor of its
    // folder, so the decision is about the entry that goes.
    const std::string::size_type slash = posixPath.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "."
                               : slash == 0               ? "/"
                                                          : posixPath.substr(0, slash);
    const std::string name = slash == std::string::npos ? posixPath : posixPath.substr(slash + 1);
    if (name.empty()) {
        return Fail(EACCES); // "dir/": a folder
    }
    const int folderFd = open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (folderFd < 0) {
        return Fail(errno);
    }
    struct stat entry {};
    int result = fstatat(folderFd, name.c_str(), &entry, AT_SYMLINK_NOFOLLOW);
    int error = errno;
    if (result == 0 && !S_ISREG(entry.st_mode) && !S_ISLNK(entry.st_mode)) {
        // The C runtime deletes files only; a folder is refused as access denied.
        result = -1;
        error = EACCES;
    } else if (result == 0) {
        result = unlinkat(folderFd, name.c_str(), 0);
        error = errno;
    }
    close(folderFd);
    if (result == 0) {
        return 0;
    }
    return Fail(error == EISDIR ? EACCES : error);
}

DWORD GetFileAttributesW(const WCHAR* path) {
    std::string posixPath;
    if (!ToPosixPath(path, posixPath)) {
        Fail(EINVAL);
        return INVALID_FILE_ATTRIBUTES;
    }
    struct stat entry {};
    if (lstat(posixPath.c_str(), &entry) != 0) {
        Fail(errno);
        return INVALID_FILE_ATTRIBUTES;
    }
    if (S_ISLNK(entry.st_mode)) {
        return FILE_ATTRIBUTE_REPARSE_POINT;
    }
    if (S_ISDIR(entry.st_mode)) {
        return FILE_ATTRIBUTE_DIRECTORY;
    }
    return S_ISREG(entry.st_mode) ? FILE_ATTRIBUTE_NORMAL : FILE_ATTRIBUTE_DEVICE;
}

} // extern "C"
