// Guarded automation steps plus the page operations' own refusals: a check
// that fails records its code like an automation failure does, and every
// later step is skipped in the same way.
#pragma once

#include "automation/guarded_steps.h"
#include "errors/last_error_record.h"
#include "win/wide_string.h"

#include <cstdint>
#include <string_view>
#include <utility>

class OperationSteps {
public:
    // Runs `step` as a guarded step unless the operation already failed.
    template <typename Step> bool Run(Step&& step) noexcept {
        return !m_refused && m_steps.Run(std::forward<Step>(step));
    }

    // Records `code` with `detail` and marks the operation failed.
    void Refuse(std::int32_t code, WideStringView detail) noexcept {
        try {
            SetError(code, 0, detail);
        } catch (...) {
            // Out of memory while reporting: the operation still fails.
        }
        m_refused = true;
    }

    bool Failed() const noexcept { return m_refused || m_steps.Failed(); }

private:
    GuardedSteps m_steps;
    bool m_refused = false;
};
