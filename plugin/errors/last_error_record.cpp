#include "errors/last_error_record.h"

#include "errors/error_messages.h"

#include <cstring>
#include <memory>

namespace {

std::unique_ptr<LastErrorRecord>& Slot() {
    static std::unique_ptr<LastErrorRecord> record;
    return record;
}

WideString WideFromAscii(const char* text) {
    return WideString(text, text + std::strlen(text));
}

} // namespace

void ClearError(LastErrorRecord& record) {
    record.detail.reset();
    record.code = 0;
    record.nativeCode = 0;
    record.message = OLESTR("Success");
}

void SetError(std::int32_t code, std::uint32_t nativeCode, LastErrorRecord& record,
              WideStringView detail) {
    // Copy first so a detail that aliases the record's own text survives the clear.
    WideString detailCopy(detail);
    ClearError(record);
    record.code = code;
    record.nativeCode = nativeCode;
    record.detail = std::move(detailCopy);
    record.message = WideFromAscii(ErrorMessageFor(code));
}

WideString ErrorText(const LastErrorRecord& record) {
    WideString text = record.message.value_or(WideString());
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

void SetError(std::int32_t code, std::uint32_t nativeCode, WideStringView detail) {
    if (Slot()) {
        SetError(code, nativeCode, *Slot(), detail);
    }
}

std::int32_t LastErrorCode() {
    return Slot() ? Slot()->code : 0;
}

WideString LastErrorText() {
    return Slot() ? ErrorText(*Slot()) : WideString();
}
