// The exception that a failed automation call raises inside a session method.
// Guarded steps (guarded_steps.h) catch it and record code -999.
#pragma once

#include "automation/automation_reference.h"
#include "win/wide_string.h"

#include <exception>
#include <string>

class ComFailure : public std::exception {
public:
    ComFailure(HRESULT status, AutomationRef<IErrorInfo> errorInfo) noexcept
        : m_status(status), m_errorInfo(std::move(errorInfo)) {}

    HRESULT Status() const noexcept { return m_status; }
    bool HasErrorInfo() const noexcept { return !m_errorInfo.IsEmpty(); }

    // The error information's description, or empty text when the failure
    // carries none or the description cannot be read.
    WideString Description() const;

    const char* what() const noexcept override { return "automation call failed"; }

private:
    HRESULT m_status;
    AutomationRef<IErrorInfo> m_errorInfo;
};
