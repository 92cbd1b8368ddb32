// Runs the core's part of an operation that the contract lets fail with
// kStatusOperationNotDone: any error of the core (and running out of memory)
// becomes that status, its description the reason the client shows.
#pragma once

#include "automation_contract/automation_values.h"
#include "engine/automation/com_failure.h"
#include "engine/errors/engine_error.h"

#include <new>
#include <string>

namespace paginor::engine {

[[noreturn]] inline void failNotDone(const std::string& reason) {
    failCall(static_cast<HRESULT>(kStatusOperationNotDone), reason);
}

template <typename Work> decltype(auto) notDoneOnCoreError(Work&& work) {
    try {
        return work();
    } catch (const EngineError& error) {
        failNotDone(error.what());
    } catch (const std::bad_alloc&) {
        failNotDone("Out of memory");
    }
}

} // namespace paginor::engine
