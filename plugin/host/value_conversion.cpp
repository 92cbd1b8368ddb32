#include "host/value_conversion.h"

#include <algorithm>
#include <array>
#include <limits>
#include <vector>

std::uint32_t ParamCount(const FMX_DataVect* parameters) {
    return CallHost([&](FMX_ErrorContainer* err) { return FM_DataVect_Size(parameters, err); });
}

std::optional<WideString> ParamAsWide(const FMX_DataVect* parameters, std::uint32_t index) {
    const FMX_Text* text = CallHost(
        [&](FMX_ErrorContainer* err) { return FM_DataVect_AtAsText(parameters, index, err); });
    const std::uint32_t size =
        CallHost([&](FMX_ErrorContainer* err) { return FM_Text_GetSize(text, err); });
    const std::uint64_t n = std::uint64_t{size} + 1;
    if (n <= 1) {
        return std::nullopt;
    }
    std::vector<WCHAR> buffer(n, OLESTR('\0'));
    CallHost([&](FMX_ErrorContainer* err) {
        FM_Text_GetUnicode(text, buffer.data(), 0, static_cast<std::uint32_t>(n), err);
    });
    buffer.back() = OLESTR('\0');
    return WideString(buffer.data());
}

std::int32_t ParamAsLong(const FMX_DataVect* parameters, std::uint32_t index) {
    const FMX_FixPt* number = CallHost(
        [&](FMX_ErrorContainer* err) { return FM_DataVect_AtAsNumber(parameters, index, err); });
    return CallHost([&](FMX_ErrorContainer* err) { return FM_FixPt_AsLong(number, err); });
}

bool ParamAsBool(const FMX_DataVect* parameters, std::uint32_t index) {
    return CallHost(
        [&](FMX_ErrorContainer* err) { return FM_DataVect_AtAsBoolean(parameters, index, err); });
}

namespace {

WCHAR FoldCase(WCHAR c) {
    if ((c >= OLESTR('a') && c <= OLESTR('z')) || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) {
        return static_cast<WCHAR>(c - 0x20);
    }
    return c;
}

bool IsWideSpace(WCHAR c) {
    return c == OLESTR(' ') || (c >= OLESTR('\t') && c <= OLESTR('\r'));
}

} // namespace

bool EqualsIgnoringCase(WideStringView a, WideStringView b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](WCHAR x, WCHAR y) {
               return FoldCase(x) == FoldCase(y);
           });
}

YesNo ParseYesNoWord(WideStringView text) {
    static constexpr std::array<WideStringView, 5> kYes{OLESTR("TRUE"), OLESTR("1"), OLESTR("YES"),
                                                        OLESTR("ON"), OLESTR("Y")};
    static constexpr std::array<WideStringView, 5> kNo{OLESTR("FALSE"), OLESTR("0"), OLESTR("NO"),
                                                       OLESTR("N"), OLESTR("OFF")};
    const auto matches = [&](WideStringView word) { return EqualsIgnoringCase(text, word); };
    if (std::any_of(kYes.begin(), kYes.end(), matches)) {
        return YesNo::Yes;
    }
    if (std::any_of(kNo.begin(), kNo.end(), matches)) {
        return YesNo::No;
    }
    return YesNo::Invalid;
}

std::int32_t WideToLong(WideStringView text) {
    std::size_t i = 0;
    while (i < text.size() && IsWideSpace(text[i])) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == OLESTR('+') || text[i] == OLESTR('-'))) {
        negative = text[i] == OLESTR('-');
        ++i;
    }
    // Accumulate as a negative number so INT32_MIN is reachable.
    constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    std::int64_t magnitude = 0;
    for (; i < text.size() && text[i] >= OLESTR('0') && text[i] <= OLESTR('9'); ++i) {
        magnitude = std::min<std::int64_t>(magnitude * 10 + (text[i] - OLESTR('0')), kLimit);
    }
    if (negative) {
        return static_cast<std::int32_t>(-magnitude);
    }
    return static_cast<std::int32_t>(std::min<std::int64_t>(magnitude, kLimit - 1));
}

void SetTextResult(FMX_Data* result, HostText& output, WideStringView text) {
    output.AssignUnicode(text);
    const FMX_Locale* locale =
        CallHost([&](FMX_ErrorContainer* err) { return FM_Data_GetLocale(result, err); });
    CallHost([&](FMX_ErrorContainer* err) {
        return FM_Data_SetAsText(result, output.get(), locale, FMX_DATA_TYPE_TEXT, err);
    });
}

void SetNumberResult(FMX_Data* result, std::int32_t value) {
    HostFixPt number(0, 16);
    number.AssignInt(value);
    CallHost([&](FMX_ErrorContainer* err) {
        return FM_Data_SetAsNumber(result, number.get(), FMX_DATA_TYPE_NUMBER, err);
    });
}

void SetDateResult(FMX_Data* result, std::int16_t year, std::int16_t month, std::int16_t day,
                   std::int16_t hour, std::int16_t minute, std::int16_t second) {
    HostDateTime dateTime;
    dateTime.SetNormalizedDate(month, day, year);
    dateTime.SetNormalizedTime(hour, minute, second, 0);
    CallHost([&](FMX_ErrorContainer* err) {
        return FM_Data_SetAsDate(result, dateTime.get(), FMX_DATA_TYPE_DATE, err);
    });
}
