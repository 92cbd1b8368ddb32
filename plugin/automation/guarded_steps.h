// The capture around every stretch of automation calls in a session method.
//
//     GuardedSteps steps;
//     steps.Run([&] { m_document.Call(&IPDDocument::Open, TemporaryBstr(path), &answer); });
//     steps.Run([&] { ... });          // skipped once a step has failed
//     if (steps.Failed()) return kFailureText;
//
// A ComFailure is recorded as -999 ("Error:%0.8X Description: %s"), any other
// exception as -998; either marks the method failed. No exception leaves Run.
#pragma once

#include "automation/com_failure.h"
#include "win/wide_string.h"

#include <string>
#include <string_view>

class GuardedSteps {
public:
    // Runs `step` unless an earlier step failed. Returns whether it ran to
    // completion.
    template <typename Step> bool Run(Step&& step) noexcept {
        if (m_failed) {
            return false;
        }
        try {
            step();
            return true;
        } catch (const ComFailure& failure) {
            RecordComFailure(failure);
        } catch (const std::exception& exception) {
            RecordUnknownException(exception.what());
        } catch (...) {
            RecordUnknownException("");
        }
        m_failed = true;
        return false;
    }

    bool Failed() const noexcept { return m_failed; }

private:
    static void RecordComFailure(const ComFailure& failure) noexcept;
    static void RecordUnknownException(const char* message) noexcept;

    bool m_failed = false;
};

// "Error:" + eight upper-case hexadecimal digits + " Description: " + text.
WideString ComFailureDetail(HRESULT status, WideStringView description);
