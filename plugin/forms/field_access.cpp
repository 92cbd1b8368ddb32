// Reading, writing and listing the open document's form fields through the
// field cache (filled on first need by LoadFields).
#include "session/pdf_session.h"

#include "automation/guarded_steps.h"
#include "automation/temporary_bstr.h"
#include "com/bstr_holder.h"
#include "errors/last_error_record.h"

namespace {

// Runs `access` on the cached field named `name` (exact, case-sensitive).
// A name that is not cached, or a document without cacheable fields, gives
// "0"; a load that did not succeed gives what the load returned.
template <typename Access>
WideString WithCachedField(CPDFSession& session, const WideString& name, Access access) {
    if (session.CachedFields().Empty()) {
        WideString loaded = session.LoadFields();
        if (loaded != kDoneText) {
            return loaded;
        }
    }
    CFieldObj* cached = session.CachedFields().Find(name);
    if (cached == nullptr) {
        return kDoneText;
    }
    WideString result = kDoneText;
    GuardedSteps steps;
    steps.Run([&] { result = access(cached->Field()); });
    return steps.Failed() ? WideString(kErrorText) : result;
}

// The value as a "%s" format would show it: up to the first NUL; an absent
// value is empty.
WideString AsFormattedText(const paginor::BstrHolder& value) {
    const WideStringView text = value.view();
    return WideString(text.substr(0, text.find(OLESTR('\0'))));
}

} // namespace

WideString CPDFSession::GetFieldValue(const WideString& fieldName) {
    return WithCachedField(*this, fieldName, [](const AutomationRef<IFormField>& field) {
        paginor::BstrHolder value;
        field.Call(&IFormField::get_Value, value.put());
        return AsFormattedText(value);
    });
}

WideString CPDFSession::SetFieldValue(const WideString& fieldName, const WideString& value) {
    return WithCachedField(*this, fieldName, [&value](const AutomationRef<IFormField>& field) {
        field.Call(&IFormField::put_Value, TemporaryBstr(value).Get());
        return WideString(kDoneText);
    });
}

WideString CPDFSession::GetFieldNames(bool includeValues) {
    if (m_fieldCache.Empty() && LoadFields() != kDoneText) {
        SetError(kErrorFieldsUnavailable, 0, OLESTR(""));
        return kErrorText;
    }
    // In the document's field order. Values are not read: with includeValues
    // each name only gains the bar.
    WideString names;
    for (const auto& entry : m_fieldCache) {
        names += entry.first;
        if (includeValues) {
            names += OLESTR('|');
        }
        names += OLESTR('\r');
    }
    return names;
}
