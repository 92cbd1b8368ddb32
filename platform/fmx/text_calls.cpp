// FM_Text_*: the host's text object.
#include "call_guard.h"
#include "fmx_objects.h"
#include "value_text.h"

#include <algorithm>

using fmx::CallGuard;
using fmx::CallGuardVoid;

extern "C" {

FMX_Text* FM_Text_Constructor1(FMX_ErrorContainer* err) {
    return CallGuard<FMX_Text*>("FM_Text_Constructor1", err, nullptr,
                                [] { return std::make_unique<FMX_Text>().release(); });
}

void FM_Text_Delete(FMX_Text* text, FMX_ErrorContainer* err) {
    // Deleting must always happen, even with an injected fault, or the
    // injection itself would leak the object.
    std::unique_ptr<FMX_Text> owned(text);
    CallGuardVoid("FM_Text_Delete", err, [] {});
}

uint32_t FM_Text_GetSize(const FMX_Text* text, FMX_ErrorContainer* err) {
    return CallGuard<uint32_t>("FM_Text_GetSize", err, 0, [&] {
        return text != nullptr ? static_cast<uint32_t>(text->value.size()) : 0u;
    });
}

void FM_Text_GetUnicode(const FMX_Text* text, FMX_UniChar* buffer, uint32_t position, uint32_t size,
                        FMX_ErrorContainer* err) {
    CallGuardVoid("FM_Text_GetUnicode", err, [&] {
        if (text == nullptr || buffer == nullptr || size == 0) {
            return;
        }
        const fmx::HostString& value = text->value;
        const std::size_t start = std::min<std::size_t>(position, value.size());
        const std::size_t count = std::min<std::size_t>(size, value.size() - start);
        std::copy_n(value.data() + start, count, buffer);
        if (count < size) {
            buffer[count] = 0;
        }
    });
}

void FM_Text_AssignUnicode(FMX_Text* text, const FMX_UniChar* s, FMX_ErrorContainer* err) {
    CallGuardVoid("FM_Text_AssignUnicode", err, [&] {
        if (text != nullptr) {
            text->value = s != nullptr ? fmx::HostString(s) : fmx::HostString();
        }
    });
}

void FM_Text_Assign(FMX_Text* text, const char* s, int32_t encoding, FMX_ErrorContainer* err) {
    CallGuardVoid("FM_Text_Assign", err, [&] {
        if (text == nullptr) {
            return;
        }
        const std::string_view bytes = s != nullptr ? std::string_view(s) : std::string_view();
        text->value = encoding == FMX_TEXT_ENCODING_UTF8 ? fmx::Utf16FromUtf8(bytes)
                                                         : fmx::Utf16FromAscii(bytes);
    });
}

uint32_t FM_Text_Find(const FMX_Text* text, const FMX_Text* other, uint32_t position,
                      FMX_ErrorContainer* err) {
    return CallGuard<uint32_t>("FM_Text_Find", err, FMX_TEXT_NOT_FOUND, [&] {
        if (text == nullptr || other == nullptr) {
            return FMX_TEXT_NOT_FOUND;
        }
        const std::size_t at = text->value.find(other->value, position);
        return at == fmx::HostString::npos ? FMX_TEXT_NOT_FOUND : static_cast<uint32_t>(at);
    });
}

void FM_Text_DeleteText(FMX_Text* text, uint32_t position, uint32_t count,
                        FMX_ErrorContainer* err) {
    CallGuardVoid("FM_Text_DeleteText", err, [&] {
        if (text != nullptr && position < text->value.size()) {
            text->value.erase(position, count);
        }
    });
}

} // extern "C"
