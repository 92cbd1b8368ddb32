#include "engine/automation/error_status.h"

#include <cerrno>

namespace paginor::engine {

namespace {
constexpr DWORD kWin32PathNotFound = 3;
constexpr DWORD kWin32WriteProtect = 19;
constexpr DWORD kWin32DiskFull = 112;
constexpr DWORD kWin32FilenameTooLong = 206;
} // namespace

HRESULT statusFromErrno(int error) {
    switch (error) {
    case EACCES:
    case EPERM:
    case EISDIR:
        return E_ACCESSDENIED;
    case EROFS:
        return HRESULT_FROM_WIN32(kWin32WriteProtect);
    case ENOENT:
        return HRESULT_FROM_WIN32(kWin32PathNotFound);
    case ENOTDIR:
        return HRESULT_FROM_WIN32(kWin32PathNotFound);
    case ENOSPC:
    case EDQUOT:
        return HRESULT_FROM_WIN32(kWin32DiskFull);
    case ENAMETOOLONG:
        return HRESULT_FROM_WIN32(kWin32FilenameTooLong);
    case ENOMEM:
        return E_OUTOFMEMORY;
    default:
        return E_FAIL;
    }
}

HRESULT statusForError(const EngineError& error) {
    switch (error.kind()) {
    case ErrorKind::InvalidArgument:
        return E_INVALIDARG;
    case ErrorKind::NotFound:
        return DISP_E_BADINDEX;
    case ErrorKind::IoFailure:
        return statusFromErrno(error.systemError());
    case ErrorKind::Unsupported:
        return E_NOTIMPL;
    case ErrorKind::Refused:
        return E_ACCESSDENIED;
    case ErrorKind::Internal:
        break;
    }
    return E_FAIL;
}

} // namespace paginor::engine
