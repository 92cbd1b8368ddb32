// The capture around every stretch of automation calls in a session method.
//
//     GuardedSteps steps;
//     steps.Run([&] { m_document.Call(&IPDDocument::Open, TemporaryBstr(path), &answer); });
//     steps.Run([&] { ... });          // skipped once a step has failed
//     if (steps.Failed()) return kFailureText;
//
// A ComFailure is recorded as -999 ("Error:%0.8X Description: %s"), any other
// exception as -998; either marks the method failed. No exception leaves Run.
//
// A failure that means the automation server itself is gone (see
// MeansServerLost) also runs the lost-server handler once the guarded
// stretch ends, so that the session lets go of every reference to it and the
// next open starts a fresh server.
#pragma once

#include "automation/com_failure.h"
#include "win/wide_string.h"

#include <string>
#include <string_view>

class GuardedSteps {
public:
    GuardedSteps() = default;
    ~GuardedSteps();
    GuardedSteps(const GuardedSteps&) = delete;
    GuardedSteps& operator=(const GuardedSteps&) = delete;

    // The statuses after which no reference to the server works again: a
    // server process that stopped or was stopped (0x800706BA "The RPC server
    // is unavailable", 0x800706BE "The remote procedure call failed") and an
    // object disconnected from its clients (0x80010108).
    static bool MeansServerLost(HRESULT status) noexcept;

    // What runs at the end of a guarded stretch in which a step failed with
    // one of those statuses. The session sets it.
    using ServerLostHandler = void (*)() noexcept;
    static void SetServerLostHandler(ServerLostHandler handler) noexcept;

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
    void RecordComFailure(const ComFailure& failure) noexcept;
    static void RecordUnknownException(const char* message) noexcept;

    bool m_failed = false;
    bool m_serverLost = false;
};

// "Error:" + eight upper-case hexadecimal digits + " Description: " + text.
WideString ComFailureDetail(HRESULT status, WideStringView description);
