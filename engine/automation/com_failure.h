// The exception engine code throws to fail an interface call with a chosen
// status and description. The object base turns it (and every other
// exception) into an HRESULT plus error information at the interface
// boundary; nothing is thrown across it.
#pragma once

#include "com/com.h"

#include <stdexcept>
#include <string>

namespace paginor::engine {

class ComFailure : public std::runtime_error {
public:
    // The description is UTF-8 and should say what went wrong and where.
    ComFailure(HRESULT status, const std::string& description)
        : std::runtime_error(description), status_(status) {}

    HRESULT status() const { return status_; }

private:
    HRESULT status_;
};

[[noreturn]] inline void failCall(HRESULT status, const std::string& description) {
    throw ComFailure(status, description);
}

// An HRESULT for a failed POSIX call, chosen so the caller's message table
// has a fitting text (access denied, path not found, disk full ...).
HRESULT statusFromErrno(int error);

} // namespace paginor::engine
