// The exception the automation objects throw to fail an interface call with a
// chosen status and description (a null result pointer, a foreign object, no
// open document). The core throws EngineError instead. The object base turns
// both (and every other exception) into an HRESULT plus error information at
// the interface boundary; nothing is thrown across it.
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

} // namespace paginor::engine
