// Telling a refusal of the application apart from a failure of automation:
// Open, InsertPages, DeletePages and PrintPages(Ex) fail with
// kStatusOperationNotDone when the file, the document or the system stopped
// them, and their error information says why. Callers record the code of
// their own operation (-2017, -2018, -2002, -2014) with that reason as the
// detail, where any other failure is a COM exception (-999).
#pragma once

#include "automation/com_failure.h"
#include "automation_contract/automation_values.h"
#include "win/wide_string.h"

#include <optional>
#include <string>

// Runs `call`. Answers the reason when it failed with kStatusOperationNotDone
// (a refusal without a description reads "the application gave no reason"),
// nullopt when it completed; every other failure propagates.
template <typename Call> std::optional<WideString> ReasonNotDone(Call&& call) {
    try {
        call();
        return std::nullopt;
    } catch (const ComFailure& failure) {
        if (failure.Status() != static_cast<HRESULT>(kStatusOperationNotDone)) {
            throw;
        }
        WideString reason = failure.Description();
        if (reason.empty()) {
            reason = OLESTR("the application gave no reason");
        }
        return reason;
    }
}
