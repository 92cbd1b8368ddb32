// One cached form field of the open document: an owning reference to the
// forms object's field, released when the entry is destroyed.
#pragma once

#include "automation/automation_reference.h"

class CFieldObj {
public:
    CFieldObj() = default;
    explicit CFieldObj(IFormField* field) noexcept { m_field.Store(field); }
    CFieldObj(const CFieldObj&) = delete;
    CFieldObj& operator=(const CFieldObj&) = delete;

    AutomationRef<IFormField>& Field() noexcept { return m_field; }
    const AutomationRef<IFormField>& Field() const noexcept { return m_field; }

private:
    AutomationRef<IFormField> m_field;
};
