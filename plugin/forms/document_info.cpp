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
constexpr std::array<WideStringView, 7> kWritableKeys = {
    OLESTR("Title"),   OLESTR("Author"),   OLESTR("Subject"), OLESTR("Keywords"),
    OLESTR("Creator"), OLESTR("Producer"), OLESTR("Trapped")};
constexpr std::array<WideStringView, 2> kReadOnlyKeys = {OLESTR("CreationDate"), OLESTR("ModDate")};

template <std::size_t N>
bool Contains(const std::array<WideStringView, N>& keys, WideStringView key) {
    return std::find(keys.begin(), keys.end(), key) != keys.end();
}

bool IsReadableKey(WideStringView key) {
    return Contains(kWritableKeys, key) || Contains(kReadOnlyKeys, key);
}

} // namespace

WideString CPDFSession::GetDocInfo(const WideString& key) {
    if (!m_document) {
        SetError(kErrorNoDocumentOpen, 0, OLESTR(""));
        return kErrorText;
    }
    if (!IsReadableKey(key)) {
        SetError(kErrorInvalidInfoItem, 0, OLESTR(""));
        return kErrorText;
    }
    WideString value;
    GuardedSteps steps;
    steps.Run([&] {
        paginor::BstrHolder entry;
        m_document.Call(&IPDDocument::GetInfo, TemporaryBstr(key).Get(), entry.put());
        value = entry.str();
    });
    return steps.Failed() ? WideString(kErrorText) : value;
}

WideString CPDFSession::SetDocInfo(const WideString& key, const WideString& value) {
    if (!m_document) {
        SetError(kErrorNoDocumentOpen, 0, OLESTR(""));
        return kErrorText;
    }
    if (!Contains(kWritableKeys, key)) {
        SetError(kErrorInvalidInfoItem, 0, OLESTR(""));
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
        SetError(kErrorCannotSetDocumentInfo, 0, OLESTR(""));
        return kErrorText;
    }
    return kDoneText;
}
