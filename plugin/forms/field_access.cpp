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
std::u16string WithCachedField(CPDFSession& session, const std::u16string& name, Access access) {
    if (session.CachedFields().Empty()) {
        std::u16string loaded = session.LoadFields();
        if (loaded != kDoneText) {
            return loaded;
        }
    }
    CFieldObj* cached = session.CachedFields().Find(name);
    if (cached == nullptr) {
        return kDoneText;
    }
    std::u16string result = kDoneText;
    GuardedSteps steps;
    steps.Run([&] { result = access(cached->Field()); });
    return steps.Failed() ? std::u16string(kErrorText) : result;
}

// The value as a "%s" format would show it: up to the first NUL; an absent
// value is empty.
std::u16string AsFormattedText(const paginor::BstrHolder& value) {
    const std::u16string_view text = value.view();
    return std::u16string(text.substr(0, text.find(u'\0')));
}

} // namespace

std::u16string CPDFSession::GetFieldValue(const std::u16string& fieldName) {
    return WithCachedField(*this, fieldName, [](const AutomationRef<IFormField>& field) {
        paginor::BstrHolder value;
        field.Call(&IFormField::get_Value, value.put());
        return AsFormattedText(value);
    });
}

std::u16string CPDFSession::SetFieldValue(const std::u16string& fieldName,
                                          const std::u16string& value) {
    return WithCachedField(*this, fieldName, [&value](const AutomationRef<IFormField>& field) {
        field.Call(&IFormField::put_Value, TemporaryBstr(value).Get());
        return std::u16string(kDoneText);
    });
}

std::u16string CPDFSession::GetFieldNames(bool includeValues) {
    if (m_fieldCache.Empty() && LoadFields() != kDoneText) {
        SetError(kErrorFieldsUnavailable, 0, u"");
        return kErrorText;
    }
    // In the document's field order. Values are not read: with includeValues
    // each name only gains the bar.
    std::u16string names;
    for (const auto& entry : m_fieldCache) {
        names += entry.first;
        if (includeValues) {
            names += u'|';
        }
        names += u'\r';
    }
    return names;
}
