// Reading and writing the open document's information entries.
#include "session/pdf_session.h"

#include "automation/guarded_steps.h"
#include "automation/temporary_bstr.h"
#include "com/bstr_holder.h"
#include "errors/last_error_record.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace {

// Keys are compared exactly: "title" is not "Title".
constexpr std::array<std::u16string_view, 7> kWritableKeys = {
    u"Title", u"Author", u"Subject", u"Keywords", u"Creator", u"Producer", u"Trapped"};
constexpr std::array<std::u16string_view, 2> kReadOnlyKeys = {u"CreationDate", u"ModDate"};

template <std::size_t N>
bool Contains(const std::array<std::u16string_view, N>& keys, std::u16string_view key) {
    return std::find(keys.begin(), keys.end(), key) != keys.end();
}

bool IsReadableKey(std::u16string_view key) {
    return Contains(kWritableKeys, key) || Contains(kReadOnlyKeys, key);
}

} // namespace

std::u16string CPDFSession::GetDocInfo(const std::u16string& key) {
    if (!m_document) {
        SetError(kErrorNoDocumentOpen, 0, u"");
        return kErrorText;
    }
    if (!IsReadableKey(key)) {
        SetError(kErrorInvalidInfoItem, 0, u"");
        return kErrorText;
    }
    std::u16string value;
    GuardedSteps steps;
    steps.Run([&] {
        paginor::BstrHolder entry;
        m_document.Call(&IPDDocument::GetInfo, TemporaryBstr(key).Get(), entry.put());
        value = entry.str();
    });
    return steps.Failed() ? std::u16string(kErrorText) : value;
}

std::u16string CPDFSession::SetDocInfo(const std::u16string& key, const std::u16string& value) {
    if (!m_document) {
        SetError(kErrorNoDocumentOpen, 0, u"");
        return kErrorText;
    }
    if (!Contains(kWritableKeys, key)) {
        SetError(kErrorInvalidInfoItem, 0, u"");
        return kErrorText;
    }
    VARIANT_BOOL written = VARIANT_FALSE;
    GuardedSteps steps;
    steps.Run([&] {
        m_document.Call(&IPDDocument::SetInfo, TemporaryBstr(key).Get(), TemporaryBstr(value).Get(),
                        &written);
    });
    if (steps.Failed()) {
        return kErrorText;
    }
    if (written == VARIANT_FALSE) {
        // Reported as a failure: an empty text would read as success to callers.
        SetError(kErrorCannotSetDocumentInfo, 0, u"");
        return kErrorText;
    }
    return kDoneText;
}
