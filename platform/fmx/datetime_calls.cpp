// FM_DateTime_*: the host's date-time object.
#include "call_guard.h"
#include "fmx_objects.h"

using fmx::CallGuard;
using fmx::CallGuardVoid;

extern "C" {

FMX_DateTime* FM_DateTime_Constructor1(FMX_ErrorContainer* err) {
    return CallGuard<FMX_DateTime*>("FM_DateTime_Constructor1", err, nullptr,
                                    [] { return std::make_unique<FMX_DateTime>().release(); });
}

void FM_DateTime_Delete(FMX_DateTime* dateTime, FMX_ErrorContainer* err) {
    std::unique_ptr<FMX_DateTime> owned(dateTime);
    CallGuardVoid("FM_DateTime_Delete", err, [] {});
}

void FM_DateTime_SetNormalizedDate1(FMX_DateTime* dateTime, int16_t month, int16_t day,
                                    int16_t year, FMX_ErrorContainer* err) {
    CallGuardVoid("FM_DateTime_SetNormalizedDate1", err, [&] {
        if (dateTime != nullptr) {
            fmx::SetNormalizedDate(dateTime->moment, year, month, day);
        }
    });
}

void FM_DateTime_SetNormalizedTime1(FMX_DateTime* dateTime, int64_t hour, int16_t minute,
                                    int16_t sec, int32_t usec, FMX_ErrorContainer* err) {
    CallGuardVoid("FM_DateTime_SetNormalizedTime1", err, [&] {
        if (dateTime != nullptr) {
            fmx::SetNormalizedTime(dateTime->moment, hour, minute, sec, usec);
        }
    });
}

} // extern "C"
