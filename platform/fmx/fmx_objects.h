// The host's value objects behind the opaque FMX_ handles.
#pragma once

#include "calendar.h"
#include "fmx/fmx.h"
#include "value_text.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

struct FMX_Text {
    fmx::HostString value;
};

struct FMX_FixPt {
    double value = 0.0;
    std::int32_t precision = 16;
};

struct FMX_DateTime {
    fmx::Moment moment;
};

struct FMX_QuadChar {
    std::array<char, 4> chars{};
};

struct FMX_Locale {
    // The host has one locale; it only needs an identity.
    int id = 0;
};

// One parameter: its own kind plus the three readings a plug-in may ask for,
// computed when the parameter is added so the returned pointers stay valid.
struct FMX_ParameterValue {
    std::int32_t kind = FMX_DATA_TYPE_TEXT;
    FMX_Text asText;
    FMX_FixPt asNumber;
    bool asBoolean = false;
};

struct FMX_DataVect {
    std::vector<std::unique_ptr<FMX_ParameterValue>> values;
};

struct FMX_Data {
    std::int32_t type = FMX_DATA_TYPE_NONE;
    fmx::HostString text;
    double number = 0.0;
    fmx::Moment moment;
    FMX_Locale locale;
};

struct FMX_ExprEnv {
    int id = 0;
};
