// A text argument for one automation call: a BSTR built from the caller's
// wide string and released when the call's full expression ends.
#pragma once

#include "com/com.h"
#include "win/wide_string.h"

#include <string_view>

class TemporaryBstr {
public:
    // Raises a ComFailure with E_OUTOFMEMORY when the string cannot be made.
    explicit TemporaryBstr(WideStringView text);
    ~TemporaryBstr() { SysFreeString(m_text); }
    TemporaryBstr(const TemporaryBstr&) = delete;
    TemporaryBstr& operator=(const TemporaryBstr&) = delete;

    BSTR Get() const noexcept { return m_text; }
    operator BSTR() const noexcept { return m_text; }

private:
    BSTR m_text;
};
