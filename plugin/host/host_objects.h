// Owning wrappers around the host's value objects. Every host call gets a
// fresh error container; a host that reports running out of memory makes the
// wrapper throw std::bad_alloc, an unknown host error std::runtime_error.
// Other codes are ignored and the call's own result is used.
#pragma once

#include "fmx/fmx.h"
#include "win/wide_string.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>

// Throws for container codes 1 and 2.
void ThrowOnHostError(const FMX_ErrorContainer& container);

// Runs one host call with a prepared container and checks it afterwards:
//     uint32_t size = CallHost([&](FMX_ErrorContainer* err) { return FM_Text_GetSize(t, err); });
template <typename Call> auto CallHost(Call&& call) {
    FMX_ErrorContainer container{FMX_ERROR_CONTAINER_VERSION, FMX_ERR_NONE};
    if constexpr (std::is_void_v<decltype(call(&container))>) {
        call(&container);
        ThrowOnHostError(container);
    } else {
        auto result = call(&container);
        ThrowOnHostError(container);
        return result;
    }
}

namespace host_detail {
template <typename T, void (*Delete)(T*, FMX_ErrorContainer*)> struct HostDeleter {
    void operator()(T* object) const noexcept {
        FMX_ErrorContainer ignored{FMX_ERROR_CONTAINER_VERSION, FMX_ERR_NONE};
        Delete(object, &ignored);
    }
};
} // namespace host_detail

class HostText {
public:
    HostText(); // FM_Text_Constructor1
    std::uint32_t Size() const;
    // Copies up to `capacity` units from `position` (FM_Text_GetUnicode).
    void GetUnicode(WCHAR* buffer, std::uint32_t position, std::uint32_t capacity) const;
    void AssignUnicode(WideStringView text); // an embedded zero ends the text
    void AssignAscii(const char* text);
    // Position of `other` at or after `position`, or FMX_TEXT_NOT_FOUND.
    std::uint32_t Find(const HostText& other, std::uint32_t position) const;
    void DeleteText(std::uint32_t position, std::uint32_t count);
    FMX_Text* get() const noexcept { return m_text.get(); }

private:
    std::unique_ptr<FMX_Text, host_detail::HostDeleter<FMX_Text, FM_Text_Delete>> m_text;
};

class HostFixPt {
public:
    HostFixPt(std::int32_t value, std::int32_t precision); // FM_FixPt_Constructor1
    void AssignInt(std::int32_t value);
    std::int32_t AsLong() const;
    FMX_FixPt* get() const noexcept { return m_number.get(); }

private:
    std::unique_ptr<FMX_FixPt, host_detail::HostDeleter<FMX_FixPt, FM_FixPt_Delete>> m_number;
};

class HostDateTime {
public:
    HostDateTime(); // FM_DateTime_Constructor1
    void SetNormalizedDate(std::int16_t month, std::int16_t day, std::int16_t year);
    void SetNormalizedTime(std::int64_t hour, std::int16_t minute, std::int16_t second,
                           std::int32_t microsecond);
    FMX_DateTime* get() const noexcept { return m_dateTime.get(); }

private:
    std::unique_ptr<FMX_DateTime, host_detail::HostDeleter<FMX_DateTime, FM_DateTime_Delete>>
        m_dateTime;
};

class HostQuadChar {
public:
    HostQuadChar(char c0, char c1, char c2, char c3); // FM_QuadChar_Constructor2
    FMX_QuadChar* get() const noexcept { return m_quad.get(); }

private:
    std::unique_ptr<FMX_QuadChar, host_detail::HostDeleter<FMX_QuadChar, FM_QuadChar_Delete>>
        m_quad;
};
