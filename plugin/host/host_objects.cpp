#include "host/host_objects.h"

#include <new>
#include <stdexcept>

void ThrowOnHostError(const FMX_ErrorContainer& container) {
    if (container.code == FMX_ERR_OUT_OF_MEMORY) {
        throw std::bad_alloc();
    }
    if (container.code == FMX_ERR_UNKNOWN) {
        throw std::runtime_error("unknown host error");
    }
}

namespace {

// Takes ownership of what a constructor returned before checking its
// container, so a failed construction cannot leak; a null object without a
// reported error still counts as out of memory.
template <typename Holder, typename Make> void Construct(Holder& holder, Make&& make) {
    FMX_ErrorContainer container{FMX_ERROR_CONTAINER_VERSION, FMX_ERR_NONE};
    holder.reset(make(&container));
    ThrowOnHostError(container);
    if (!holder) {
        throw std::bad_alloc();
    }
}

} // namespace

HostText::HostText() {
    Construct(m_text, [](FMX_ErrorContainer* err) { return FM_Text_Constructor1(err); });
}

std::uint32_t HostText::Size() const {
    return CallHost([&](FMX_ErrorContainer* err) { return FM_Text_GetSize(get(), err); });
}

void HostText::GetUnicode(WCHAR* buffer, std::uint32_t position, std::uint32_t capacity) const {
    CallHost([&](FMX_ErrorContainer* err) {
        FM_Text_GetUnicode(get(), buffer, position, capacity, err);
    });
}

void HostText::AssignUnicode(WideStringView text) {
    const WideString terminated(text);
    CallHost(
        [&](FMX_ErrorContainer* err) { FM_Text_AssignUnicode(get(), terminated.c_str(), err); });
}

void HostText::AssignAscii(const char* text) {
    CallHost([&](FMX_ErrorContainer* err) {
        FM_Text_Assign(get(), text, FMX_TEXT_ENCODING_ASCII, err);
    });
}

std::uint32_t HostText::Find(const HostText& other, std::uint32_t position) const {
    return CallHost(
        [&](FMX_ErrorContainer* err) { return FM_Text_Find(get(), other.get(), position, err); });
}

void HostText::DeleteText(std::uint32_t position, std::uint32_t count) {
    CallHost([&](FMX_ErrorContainer* err) { FM_Text_DeleteText(get(), position, count, err); });
}

HostFixPt::HostFixPt(std::int32_t value, std::int32_t precision) {
    Construct(m_number, [&](FMX_ErrorContainer* err) {
        return FM_FixPt_Constructor1(value, precision, err);
    });
}

void HostFixPt::AssignInt(std::int32_t value) {
    CallHost([&](FMX_ErrorContainer* err) { FM_FixPt_AssignInt(get(), value, err); });
}

std::int32_t HostFixPt::AsLong() const {
    return CallHost([&](FMX_ErrorContainer* err) { return FM_FixPt_AsLong(get(), err); });
}

HostDateTime::HostDateTime() {
    Construct(m_dateTime, [](FMX_ErrorContainer* err) { return FM_DateTime_Constructor1(err); });
}

void HostDateTime::SetNormalizedDate(std::int16_t month, std::int16_t day, std::int16_t year) {
    CallHost([&](FMX_ErrorContainer* err) {
        FM_DateTime_SetNormalizedDate1(get(), month, day, year, err);
    });
}

void HostDateTime::SetNormalizedTime(std::int64_t hour, std::int16_t minute, std::int16_t second,
                                     std::int32_t microsecond) {
    CallHost([&](FMX_ErrorContainer* err) {
        FM_DateTime_SetNormalizedTime1(get(), hour, minute, second, microsecond, err);
    });
}

HostQuadChar::HostQuadChar(char c0, char c1, char c2, char c3) {
    Construct(m_quad, [&](FMX_ErrorContainer* err) {
        return FM_QuadChar_Constructor2(c0, c1, c2, c3, err);
    });
}
