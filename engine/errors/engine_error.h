// The error the engine's core throws. It says what kind of failure happened
// and describes it for the user; the core knows nothing of how a caller
// reports it. The automation layer (engine/automation/error_status.h) turns
// each kind into the status its interfaces answer.
#pragma once

#include <stdexcept>
#include <string>

namespace paginor::engine {

enum class ErrorKind {
    InvalidArgument, // an argument the operation cannot take
    NotFound,        // a page or entry the argument names does not exist
    IoFailure,       // a system call on a file failed; systemError() is its errno
    Unsupported,     // the document uses something the engine cannot handle
    Refused,         // the document forbids the operation
    Internal,        // a library failed or an expectation of the engine broke
};

class EngineError : public std::runtime_error {
public:
    // The description is UTF-8 and says what went wrong and where, in words
    // the user sees as they are.
    EngineError(ErrorKind kind, const std::string& description, int systemError = 0)
        : std::runtime_error(description), kind_(kind), systemError_(systemError) {}

    ErrorKind kind() const noexcept { return kind_; }
    // The errno of an I/O failure, 0 for the other kinds.
    int systemError() const noexcept { return systemError_; }

private:
    ErrorKind kind_;
    int systemError_;
};

[[noreturn]] inline void fail(ErrorKind kind, const std::string& description) {
    throw EngineError(kind, description);
}

[[noreturn]] inline void failIo(int systemError, const std::string& description) {
    throw EngineError(ErrorKind::IoFailure, description, systemError);
}

} // namespace paginor::engine
