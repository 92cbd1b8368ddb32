#include "errors/last_error_record.h"

#include "errors/error_messages.h"

#include <cstring>
#include <memory>

namespace {

std::unique_ptr<LastErrorRecord>& Slot() {
    static std::unique_ptr<LastErrorRecord> record;
    return record;
}

std::u16string WideFromAscii(const char* text) {
    return std::u16string(text, text + std::strlen(text));
}

} // namespace

void ClearError(LastErrorRecord& record) {
    record.detail.reset();
    record.code = 0;
    record.nativeCode = 0;
    record.message = u"Success";
}

void SetError(std::int32_t code, std::uint32_t nativeCode, LastErrorRecord& record,
              std::u16string_view detail) {
    // Copy first so a detail that aliases the record's own text survives the clear.
    std::u16string detailCopy(detail);
    ClearError(record);
    record.code = code;
    record.nativeCode = nativeCode;
    record.detail = std::move(detailCopy);
    record.message = WideFromAscii(ErrorMessageFor(code));
}

std::u16string ErrorText(const LastErrorRecord& record) {
    std::u16string text = record.message.value_or(std::u16string());
    if (record.detail) {
        text += *record.detail;
    }
    return text;
}

void CreateLastErrorRecord() {
    Slot() = std::make_unique<LastErrorRecord>();
}

void DestroyLastErrorRecord() {
    if (Slot()) {
        ClearError(*Slot());
        Slot().reset();
    }
}

LastErrorRecord* CurrentLastErrorRecord() {
    return Slot().get();
}

void ClearError() {
    if (Slot()) {
        ClearError(*Slot());
    }
}

void SetError(std::int32_t code, std::uint32_t nativeCode, std::u16string_view detail) {
    if (Slot()) {
        SetError(code, nativeCode, *Slot(), detail);
    }
}

std::int32_t LastErrorCode() {
    return Slot() ? Slot()->code : 0;
}

std::u16string LastErrorText() {
    return Slot() ? ErrorText(*Slot()) : std::u16string();
}
