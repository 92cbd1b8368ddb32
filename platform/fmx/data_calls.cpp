// FM_DataVect_* and FM_Data_*: a call's parameters and its result, plus the
// host-side calls that build parameters and read results back.
#include "call_guard.h"
#include "fmx/fmx_host.h"
#include "fmx_objects.h"
#include "value_text.h"

#include <algorithm>
#include <cmath>

using fmx::CallGuard;
using fmx::CallGuardVoid;

namespace {

const FMX_ParameterValue& EmptyParameter() {
    static const FMX_ParameterValue empty;
    return empty;
}

// The parameter at `index`, or an empty one (with FMX_ERR_UNKNOWN) past the end.
const FMX_ParameterValue& ParameterAt(const FMX_DataVect* parameters, uint32_t index,
                                      FMX_ErrorContainer* err) {
    if (parameters == nullptr || index >= parameters->values.size()) {
        fmx::Report(err, FMX_ERR_UNKNOWN);
        return EmptyParameter();
    }
    return *parameters->values[index];
}

void Push(FMX_DataVect* parameters, std::int32_t kind, fmx::HostString text, double number) {
    auto value = std::make_unique<FMX_ParameterValue>();
    value->kind = kind;
    value->asText.value = std::move(text);
    value->asNumber.value = number;
    value->asBoolean = number != 0.0 && !std::isnan(number);
    parameters->values.push_back(std::move(value));
}

// Host-side calls have no error container; running out of memory there
// leaves the object unchanged rather than throwing into the host program.
template <typename Body> void HostSide(Body&& body) {
    try {
        body();
    } catch (...) {
    }
}

} // namespace

extern "C" {

uint32_t FM_DataVect_Size(const FMX_DataVect* parameters, FMX_ErrorContainer* err) {
    return CallGuard<uint32_t>("FM_DataVect_Size", err, 0, [&] {
        return parameters != nullptr ? static_cast<uint32_t>(parameters->values.size()) : 0u;
    });
}

const FMX_Text* FM_DataVect_AtAsText(const FMX_DataVect* parameters, uint32_t index,
                                     FMX_ErrorContainer* err) {
    return CallGuard<const FMX_Text*>("FM_DataVect_AtAsText", err, &EmptyParameter().asText,
                                      [&] { return &ParameterAt(parameters, index, err).asText; });
}

const FMX_FixPt* FM_DataVect_AtAsNumber(const FMX_DataVect* parameters, uint32_t index,
                                        FMX_ErrorContainer* err) {
    return CallGuard<const FMX_FixPt*>(
        "FM_DataVect_AtAsNumber", err, &EmptyParameter().asNumber,
        [&] { return &ParameterAt(parameters, index, err).asNumber; });
}

bool FM_DataVect_AtAsBoolean(const FMX_DataVect* parameters, uint32_t index,
                             FMX_ErrorContainer* err) {
    return CallGuard<bool>("FM_DataVect_AtAsBoolean", err, false,
                           [&] { return ParameterAt(parameters, index, err).asBoolean; });
}

const FMX_Locale* FM_Data_GetLocale(const FMX_Data* data, FMX_ErrorContainer* err) {
    static const FMX_Locale hostLocale;
    return CallGuard<const FMX_Locale*>("FM_Data_GetLocale", err, &hostLocale, [&] {
        return data != nullptr ? &data->locale : &hostLocale;
    });
}

int32_t FM_Data_SetAsText(FMX_Data* data, const FMX_Text* text, const FMX_Locale* /*locale*/,
                          int32_t nativeType, FMX_ErrorContainer* err) {
    return CallGuard<int32_t>("FM_Data_SetAsText", err, FMX_ERR_UNKNOWN, [&]() -> int32_t {
        if (data == nullptr || text == nullptr) {
            return FMX_ERR_UNKNOWN;
        }
        switch (nativeType) {
        case FMX_DATA_TYPE_NONE:
        case FMX_DATA_TYPE_TEXT:
            data->text = text->value;
            data->type = FMX_DATA_TYPE_TEXT;
            return 0;
        case FMX_DATA_TYPE_NUMBER:
            data->number = fmx::NumberFromText(text->value);
            data->type = FMX_DATA_TYPE_NUMBER;
            return 0;
        default:
            return FMX_ERR_UNKNOWN;
        }
    });
}

int32_t FM_Data_SetAsNumber(FMX_Data* data, const FMX_FixPt* number, int32_t nativeType,
                            FMX_ErrorContainer* err) {
    return CallGuard<int32_t>("FM_Data_SetAsNumber", err, FMX_ERR_UNKNOWN, [&]() -> int32_t {
        if (data == nullptr || number == nullptr) {
            return FMX_ERR_UNKNOWN;
        }
        switch (nativeType) {
        case FMX_DATA_TYPE_NONE:
        case FMX_DATA_TYPE_NUMBER:
            data->number = number->value;
            data->type = FMX_DATA_TYPE_NUMBER;
            return 0;
        case FMX_DATA_TYPE_TEXT:
            data->text = fmx::TextFromNumber(number->value);
            data->type = FMX_DATA_TYPE_TEXT;
            return 0;
        case FMX_DATA_TYPE_DATE:
            data->moment = fmx::MomentFromSeconds(number->value);
            data->type = FMX_DATA_TYPE_DATE;
            return 0;
        default:
            return FMX_ERR_UNKNOWN;
        }
    });
}

int32_t FM_Data_SetAsDate(FMX_Data* data, const FMX_DateTime* dateTime, int32_t nativeType,
                          FMX_ErrorContainer* err) {
    return CallGuard<int32_t>("FM_Data_SetAsDate", err, FMX_ERR_UNKNOWN, [&]() -> int32_t {
        if (data == nullptr || dateTime == nullptr) {
            return FMX_ERR_UNKNOWN;
        }
        switch (nativeType) {
        case FMX_DATA_TYPE_NONE:
        case FMX_DATA_TYPE_DATE:
            data->moment = dateTime->moment;
            data->type = FMX_DATA_TYPE_DATE;
            return 0;
        case FMX_DATA_TYPE_TEXT:
            data->text = fmx::Utf16FromAscii(fmx::FormatMoment(dateTime->moment));
            data->type = FMX_DATA_TYPE_TEXT;
            return 0;
        case FMX_DATA_TYPE_NUMBER:
            data->number = fmx::SecondsSinceEpoch(dateTime->moment);
            data->type = FMX_DATA_TYPE_NUMBER;
            return 0;
        default:
            return FMX_ERR_UNKNOWN;
        }
    });
}

// ---- host side --------------------------------------------------------

FMX_DataVect* FMXHost_DataVect_New(void) {
    try {
        return std::make_unique<FMX_DataVect>().release();
    } catch (...) {
        return nullptr;
    }
}

void FMXHost_DataVect_Delete(FMX_DataVect* parameters) {
    std::unique_ptr<FMX_DataVect> owned(parameters);
}

void FMXHost_DataVect_PushText(FMX_DataVect* parameters, const FMX_UniChar* text, size_t length) {
    if (parameters == nullptr) {
        return;
    }
    HostSide([&] {
        fmx::HostString value = text != nullptr ? fmx::HostString(text, length) : fmx::HostString();
        const double number = fmx::NumberFromText(value);
        Push(parameters, FMX_DATA_TYPE_TEXT, std::move(value), number);
    });
}

void FMXHost_DataVect_PushTextUtf8(FMX_DataVect* parameters, const char* text) {
    if (parameters == nullptr) {
        return;
    }
    HostSide([&] {
        fmx::HostString value = fmx::Utf16FromUtf8(text != nullptr ? text : "");
        const double number = fmx::NumberFromText(value);
        Push(parameters, FMX_DATA_TYPE_TEXT, std::move(value), number);
    });
}

void FMXHost_DataVect_PushNumber(FMX_DataVect* parameters, double value) {
    if (parameters == nullptr) {
        return;
    }
    HostSide([&] { Push(parameters, FMX_DATA_TYPE_NUMBER, fmx::TextFromNumber(value), value); });
}

void FMXHost_DataVect_PushDateTime(FMX_DataVect* parameters, int32_t year, int32_t month,
                                   int32_t day, int32_t hour, int32_t minute, int32_t second) {
    if (parameters == nullptr) {
        return;
    }
    HostSide([&] {
        fmx::Moment moment;
        fmx::SetNormalizedDate(moment, year, month, day);
        fmx::SetNormalizedTime(moment, hour, minute, second, 0);
        Push(parameters, FMX_DATA_TYPE_DATE, fmx::Utf16FromAscii(fmx::FormatMoment(moment)),
             fmx::SecondsSinceEpoch(moment));
    });
}

FMX_Data* FMXHost_Data_New(void) {
    try {
        return std::make_unique<FMX_Data>().release();
    } catch (...) {
        return nullptr;
    }
}

void FMXHost_Data_Delete(FMX_Data* data) {
    std::unique_ptr<FMX_Data> owned(data);
}

int32_t FMXHost_Data_GetType(const FMX_Data* data) {
    return data != nullptr ? data->type : FMX_DATA_TYPE_NONE;
}

size_t FMXHost_Data_GetText(const FMX_Data* data, FMX_UniChar* buffer, size_t capacity) {
    if (data == nullptr) {
        return 0;
    }
    fmx::HostString text;
    HostSide([&] {
        switch (data->type) {
        case FMX_DATA_TYPE_TEXT:
            text = data->text;
            break;
        case FMX_DATA_TYPE_NUMBER:
            text = fmx::TextFromNumber(data->number);
            break;
        case FMX_DATA_TYPE_DATE:
            text = fmx::Utf16FromAscii(fmx::FormatMoment(data->moment));
            break;
        default:
            break;
        }
    });
    if (buffer != nullptr) {
        std::copy_n(text.data(), std::min(capacity, text.size()), buffer);
    }
    return text.size();
}

double FMXHost_Data_GetNumber(const FMX_Data* data) {
    if (data == nullptr) {
        return 0.0;
    }
    switch (data->type) {
    case FMX_DATA_TYPE_TEXT:
        return fmx::NumberFromText(data->text);
    case FMX_DATA_TYPE_NUMBER:
        return data->number;
    case FMX_DATA_TYPE_DATE:
        return fmx::SecondsSinceEpoch(data->moment);
    default:
        return 0.0;
    }
}

bool FMXHost_Data_GetDateTime(const FMX_Data* data, FMXHost_DateTimeParts* out) {
    if (data == nullptr || out == nullptr || data->type != FMX_DATA_TYPE_DATE) {
        return false;
    }
    const fmx::CivilDate date = fmx::CivilFromDayNumber(data->moment.day);
    const std::int64_t us = data->moment.microseconds;
    out->year = static_cast<int32_t>(date.year);
    out->month = date.month;
    out->day = date.day;
    out->hour = static_cast<int32_t>(us / 3'600'000'000);
    out->minute = static_cast<int32_t>(us / 60'000'000 % 60);
    out->second = static_cast<int32_t>(us / 1'000'000 % 60);
    out->microsecond = static_cast<int32_t>(us % 1'000'000);
    return true;
}

} // extern "C"
