#include "win/file_access.h"

#include "com/utf.h"

#include <cerrno>
#include <string>
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
        errno = EINVAL;
        return -1;
    }
    std::string posixPath;
    if (!ToPosixPath(path, posixPath)) {
        errno = EINVAL;
        return -1;
    }
    return access(posixPath.c_str(), posixMode) == 0 ? 0 : -1;
}

int _wunlink(const WCHAR* path) {
    std::string posixPath;
    if (!ToPosixPath(path, posixPath)) {
        errno = EINVAL;
        return -1;
    }
    if (unlink(posixPath.c_str()) == 0) {
        return 0;
    }
    if (errno == EISDIR) {
        errno = EACCES; // what the C runtime reports for a folder
    }
    return -1;
}

} // extern "C"
