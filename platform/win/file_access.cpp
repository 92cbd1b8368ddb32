#include "win/file_access.h"

#include "com/com.h"
#include "text_encoding/utf_conversion.h"

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
    if (unlink(posixPath.c_str()) == 0) {
        return 0;
    }
    // The C runtime refuses a folder with EACCES.
    return Fail(errno == EISDIR ? EACCES : errno);
}

} // extern "C"
