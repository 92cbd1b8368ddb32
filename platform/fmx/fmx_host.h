/* The host program's side of the plug-in interface.
 *
 * A host (fmcalc, the test harness) uses these calls to build the parameters
 * of a function call, to create the object that receives its result and read
 * that result back, to look up the functions that plug-ins registered through
 * FM_ExprEnv_RegisterExternalFunction, and to make FM_ calls fail on purpose.
 *
 * Texts cross this boundary as UTF-16 (FMX_UniChar) with an explicit length,
 * or as zero-terminated UTF-8 where the name says so. Values and conversions
 * the host chooses are written down in platform/fmx/README.md.
 */
#ifndef PAGINOR_FMX_FMX_HOST_H
#define PAGINOR_FMX_FMX_HOST_H

#include "fmx/fmx.h"

#ifdef __cplusplus
extern "C" {
#endif

/* ---- parameters ------------------------------------------------------ */

FMX_API FMX_DataVect* FMXHost_DataVect_New(void);
FMX_API void FMXHost_DataVect_Delete(FMX_DataVect* parameters);
FMX_API void FMXHost_DataVect_PushText(FMX_DataVect* parameters, const FMX_UniChar* text,
                                       size_t length);
FMX_API void FMXHost_DataVect_PushTextUtf8(FMX_DataVect* parameters, const char* text);
FMX_API void FMXHost_DataVect_PushNumber(FMX_DataVect* parameters, double value);
/* A full date and time; parts are normalised like a calendar. */
FMX_API void FMXHost_DataVect_PushDateTime(FMX_DataVect* parameters, int32_t year, int32_t month,
                                           int32_t day, int32_t hour, int32_t minute,
                                           int32_t second);

/* ---- results --------------------------------------------------------- */

typedef struct FMXHost_DateTimeParts {
    int32_t year, month, day, hour, minute, second, microsecond;
} FMXHost_DateTimeParts;

/* A fresh result holds FMX_DATA_TYPE_NONE until a plug-in stores into it. */
FMX_API FMX_Data* FMXHost_Data_New(void);
FMX_API void FMXHost_Data_Delete(FMX_Data* data);
/* FMX_DATA_TYPE_NONE, _TEXT, _NUMBER or _DATE. */
FMX_API int32_t FMXHost_Data_GetType(const FMX_Data* data);
/* The value as text (numbers and dates in the forms the README gives).
 * Copies at most `capacity` code units into `buffer` (which may be NULL when
 * capacity is 0) and returns the full length, so a caller can size first. */
FMX_API size_t FMXHost_Data_GetText(const FMX_Data* data, FMX_UniChar* buffer, size_t capacity);
/* The value as a number (text converts by the README's rule; a date gives
 * its seconds since 0001-01-01 00:00:00). */
FMX_API double FMXHost_Data_GetNumber(const FMX_Data* data);
/* Fills `out` and returns true when the data holds a date; false otherwise. */
FMX_API bool FMXHost_Data_GetDateTime(const FMX_Data* data, FMXHost_DateTimeParts* out);

/* ---- registered functions ------------------------------------------- */

typedef struct FMXHost_FunctionInfo {
    char pluginId[5]; /* four characters and a terminating zero */
    int16_t functionId;
    const FMX_UniChar* name;      /* zero-terminated; valid until the registry changes */
    const FMX_UniChar* prototype; /* zero-terminated; valid until the registry changes */
    int16_t minArgs;
    int16_t maxArgs;
    uint32_t flags;
    FMX_ExternalFunction function;
} FMXHost_FunctionInfo;

/* Functions in registration order. */
FMX_API size_t FMXHost_FunctionCount(void);
FMX_API bool FMXHost_FunctionAt(size_t index, FMXHost_FunctionInfo* out);
/* Looks a function up by name, ignoring ASCII case as the calculation
 * language does. Returns false when no such function is registered. */
FMX_API bool FMXHost_FindFunction(const FMX_UniChar* name, size_t length,
                                  FMXHost_FunctionInfo* out);
FMX_API bool FMXHost_FindFunctionUtf8(const char* name, FMXHost_FunctionInfo* out);
/* Forgets every registration (for a host that loads a plug-in afresh). */
FMX_API void FMXHost_ClearRegistry(void);

/* Result of FMXHost_CallFunction. */
enum {
    FMXHOST_CALL_OK = 0,                 /* the function ran; see *hostError */
    FMXHOST_CALL_BAD_PARAMETER_COUNT = 1 /* the host refused: count outside min..max */
};
/* Calls a registered function the way the host's calculation engine does:
 * refuses a parameter count outside the registered range (a negative maximum
 * means "no upper limit"), otherwise calls it with the host's expression
 * environment and stores the function's own return code in *hostError
 * (which may be NULL). */
FMX_API int32_t FMXHost_CallFunction(const FMXHost_FunctionInfo* function,
                                     const FMX_DataVect* parameters, FMX_Data* result,
                                     int16_t* hostError);

/* ---- plug-in loading helpers ---------------------------------------- */

/* The load base of the shared object containing `symbol` (via dladdr), which
 * is what a host puts into FMX_ExternCallStruct.instanceID; 0 if unknown. */
FMX_API uintptr_t FMXHost_ModuleBaseOf(const void* symbol);

/* ---- fault injection (tests) ---------------------------------------- */

/* Makes the FM_ call named `callName` (e.g. "FM_Text_Constructor1"), or any
 * FM_ call when `callName` is NULL or "", report `code` in its error
 * container: the first `skip` matching calls succeed, the next one fails,
 * then the injection is spent. A failing constructor returns NULL; other
 * calls return a harmless value (0, false, an empty text) and change nothing,
 * so the caller's reaction is what is tested. _Delete calls still free.
 * A later injection replaces an earlier one. */
FMX_API void FMXHost_InjectError(const char* callName, int32_t code, uint32_t skip);
FMX_API void FMXHost_ClearInjectedError(void);
/* True while an injection is armed and has not fired yet. */
FMX_API bool FMXHost_InjectedErrorPending(void);

#ifdef __cplusplus
}
#endif

#endif /* PAGINOR_FMX_FMX_HOST_H */
