#include "automation/temporary_bstr.h"

#include "automation/raise_com_failure.h"

#include <limits>

namespace {

BSTR AllocateOrRaise(WideStringView text) {
    if (text.size() > std::numeric_limits<UINT>::max() / sizeof(OLECHAR)) {
        RaiseComFailure(E_OUTOFMEMORY);
    }
    static constexpr OLECHAR kEmpty[] = OLESTR("");
    BSTR made =
        SysAllocStringLen(text.empty() ? kEmpty : text.data(), static_cast<UINT>(text.size()));
    if (made == nullptr) {
        RaiseComFailure(E_OUTOFMEMORY);
    }
    return made;
}

} // namespace

TemporaryBstr::TemporaryBstr(WideStringView text) : m_text(AllocateOrRaise(text)) {}
