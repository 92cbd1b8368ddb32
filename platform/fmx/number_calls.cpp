// FM_FixPt_* and FM_QuadChar_*: numbers and four-character codes.
#include "call_guard.h"
#include "fmx_objects.h"

#include <cmath>
#include <limits>

using fmx::CallGuard;
using fmx::CallGuardVoid;

extern "C" {

FMX_FixPt* FM_FixPt_Constructor1(int32_t value, int32_t precision, FMX_ErrorContainer* err) {
    return CallGuard<FMX_FixPt*>("FM_FixPt_Constructor1", err, nullptr, [&] {
        auto number = std::make_unique<FMX_FixPt>();
        number->value = value;
        number->precision = precision;
        return number.release();
    });
}

void FM_FixPt_Delete(FMX_FixPt* number, FMX_ErrorContainer* err) {
    std::unique_ptr<FMX_FixPt> owned(number);
    CallGuardVoid("FM_FixPt_Delete", err, [] {});
}

void FM_FixPt_AssignInt(FMX_FixPt* number, int32_t value, FMX_ErrorContainer* err) {
    CallGuardVoid("FM_FixPt_AssignInt", err, [&] {
        if (number != nullptr) {
            number->value = value;
        }
    });
}

void FM_FixPt_AssignDouble(FMX_FixPt* number, double value, FMX_ErrorContainer* err) {
    CallGuardVoid("FM_FixPt_AssignDouble", err, [&] {
        if (number != nullptr) {
            number->value = value;
        }
    });
}

int32_t FM_FixPt_AsLong(const FMX_FixPt* number, FMX_ErrorContainer* err) {
    return CallGuard<int32_t>("FM_FixPt_AsLong", err, 0, [&]() -> int32_t {
        if (number == nullptr || std::isnan(number->value)) {
            return 0;
        }
        const double truncated = std::trunc(number->value);
        if (truncated >= static_cast<double>(std::numeric_limits<int32_t>::max())) {
            return std::numeric_limits<int32_t>::max();
        }
        if (truncated <= static_cast<double>(std::numeric_limits<int32_t>::min())) {
            return std::numeric_limits<int32_t>::min();
        }
        return static_cast<int32_t>(truncated);
    });
}

double FM_FixPt_AsDouble(const FMX_FixPt* number, FMX_ErrorContainer* err) {
    return CallGuard<double>("FM_FixPt_AsDouble", err, 0.0,
                             [&] { return number != nullptr ? number->value : 0.0; });
}

FMX_QuadChar* FM_QuadChar_Constructor2(char c0, char c1, char c2, char c3,
                                       FMX_ErrorContainer* err) {
    return CallGuard<FMX_QuadChar*>("FM_QuadChar_Constructor2", err, nullptr, [&] {
        auto quad = std::make_unique<FMX_QuadChar>();
        quad->chars = {c0, c1, c2, c3};
        return quad.release();
    });
}

void FM_QuadChar_Delete(FMX_QuadChar* quad, FMX_ErrorContainer* err) {
    std::unique_ptr<FMX_QuadChar> owned(quad);
    CallGuardVoid("FM_QuadChar_Delete", err, [] {});
}

} // extern "C"
