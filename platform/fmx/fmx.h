/* The host's plug-in interface as a plug-in sees it.
 *
 * A plug-in is a shared library exporting one function, FMExternCallProc,
 * through which the host sends life-cycle messages in an FMX_ExternCallStruct.
 * Everything else goes through the FM_ functions below, which the host's
 * library (libfmx) implements and the plug-in resolves when it is loaded.
 *
 * Every FM_ function takes an FMX_ErrorContainer as its last argument. The
 * caller prepares it as {FMX_ERROR_CONTAINER_VERSION, FMX_ERR_NONE}; the host
 * leaves the code alone on success and writes FMX_ERR_OUT_OF_MEMORY or
 * FMX_ERR_UNKNOWN when it could not do what was asked. A NULL container is
 * accepted and simply not written.
 *
 * Plain C so that the call-record layout can be compile-checked for a 32-bit
 * target (gcc -m32) as well as for the native one.
 */
#ifndef PAGINOR_FMX_FMX_H
#define PAGINOR_FMX_FMX_H

#include <stddef.h>
#include <stdint.h>
#ifndef __cplusplus
#include <stdbool.h>
#endif

#ifdef __cplusplus
extern "C" {
#define FMX_STATIC_ASSERT(cond, msg) static_assert(cond, msg)
#else
#define FMX_STATIC_ASSERT(cond, msg) _Static_assert(cond, msg)
#endif

/* A UTF-16 code unit: the platform's wide character (wchar_t on Windows,
 * where it is 16 bits wide), so that a plug-in hands its own wide text over
 * unconverted. */
#if defined(_WIN32)
typedef wchar_t FMX_UniChar;
#elif defined(__cplusplus)
typedef char16_t FMX_UniChar;
#else
typedef uint_least16_t FMX_UniChar;
#endif
FMX_STATIC_ASSERT(sizeof(FMX_UniChar) == 2, "FMX_UniChar is one UTF-16 code unit");

/* On Windows the host's library is a DLL that exports the FM_ calls and a
 * plug-in imports them (and exports its own entry point, see its
 * module-definition file); elsewhere default visibility does both. */
#if defined(_WIN32)
#if defined(FMX_BUILDING_HOST_LIBRARY)
#define FMX_API __declspec(dllexport)
#else
#define FMX_API __declspec(dllimport)
#endif
#define FMX_ENTRY_POINT
#elif defined(__GNUC__)
#define FMX_API __attribute__((visibility("default")))
#define FMX_ENTRY_POINT FMX_API
#else
#define FMX_API
#define FMX_ENTRY_POINT
#endif

/* ---- error container ------------------------------------------------- */

typedef struct FMX_ErrorContainer {
    int32_t version;
    int32_t code;
} FMX_ErrorContainer;

enum {
    FMX_ERROR_CONTAINER_VERSION = 1,
    FMX_ERR_NONE = 0,
    FMX_ERR_OUT_OF_MEMORY = 1,
    FMX_ERR_UNKNOWN = 2
};

/* ---- opaque host objects --------------------------------------------- */

typedef struct FMX_Text FMX_Text;
typedef struct FMX_FixPt FMX_FixPt;
typedef struct FMX_DateTime FMX_DateTime;
typedef struct FMX_QuadChar FMX_QuadChar;
typedef struct FMX_Locale FMX_Locale;
typedef struct FMX_DataVect FMX_DataVect;
typedef struct FMX_Data FMX_Data;
typedef struct FMX_ExprEnv FMX_ExprEnv;

/* Data types a result can be stored as. */
enum {
    FMX_DATA_TYPE_NONE = 0,
    FMX_DATA_TYPE_TEXT = 1,
    FMX_DATA_TYPE_NUMBER = 2,
    FMX_DATA_TYPE_DATE = 3
};

/* Returned by FM_Text_Find when the text does not occur. */
#define FMX_TEXT_NOT_FOUND ((uint32_t)0xFFFFFFFFu)

/* Encodings accepted by FM_Text_Assign. */
enum { FMX_TEXT_ENCODING_ASCII = 0, FMX_TEXT_ENCODING_UTF8 = 1 };

/* ---- external (script) functions ------------------------------------- */

/* The implementation of a registered function. The return value is the
 * host error code of the call (0 = success). */
typedef int16_t (*FMX_ExternalFunction)(int16_t functionId, const FMX_ExprEnv* env,
                                        const FMX_DataVect* parameters, FMX_Data* result);

/* ---- host call record ------------------------------------------------ */

/* Message selectors (FMX_ExternCallStruct.whichCall). */
enum {
    FMX_CALL_INIT = 0,
    FMX_CALL_IDLE = 1,
    FMX_CALL_RESERVED2 = 2,
    FMX_CALL_RESERVED3 = 3,
    FMX_CALL_SHUTDOWN = 4,
    FMX_CALL_PREFERENCES = 5,
    FMX_CALL_RESERVED6 = 6,
    FMX_CALL_GET_STRING = 7
};

/* String identifiers the host asks for with FMX_CALL_GET_STRING. */
enum { FMX_STRING_NAME = 128, FMX_STRING_DESCRIPTION = 129, FMX_STRING_OPTIONS = 131 };

/* Init answers. */
enum { FMX_INIT_REFUSED = -1 };

/* The record the host passes to FMExternCallProc. Packed, little-endian.
 *
 *   byte  width  field
 *   0     2      extnVersion   host interface version (read on Init)
 *   2     7      hostReserved  host-private bytes, never read by a plug-in
 *   9     1      whichCall     message selector (FMX_CALL_*)
 *   10    1      reserved10
 *   11    1      parm1         GetString: string id; Idle: idle level
 *   12    4      parm2         GetString: language id
 *   16    4      parm3         GetString: buffer capacity in UTF-16 units
 *   20    P      instanceID    the plug-in's instance handle (module base)
 *   20+P  P      result        Init answer; GetString: buffer address
 *
 * P is the pointer size: 4 on a 32-bit build, where the layout matches the
 * host's published one byte for byte; 8 on a 64-bit build, where the two
 * pointer-sized fields widen in place and stay packed in the same order.
 */
#pragma pack(push, 1)
typedef struct FMX_ExternCallStruct {
    int16_t extnVersion;
    uint8_t hostReserved[7];
    uint8_t whichCall;
    uint8_t reserved10;
    uint8_t parm1;
    uint32_t parm2;
    uint32_t parm3;
    uintptr_t instanceID;
    intptr_t result;
} FMX_ExternCallStruct;
#pragma pack(pop)

FMX_STATIC_ASSERT(offsetof(FMX_ExternCallStruct, extnVersion) == 0, "extnVersion at byte 0");
FMX_STATIC_ASSERT(offsetof(FMX_ExternCallStruct, whichCall) == 9, "whichCall at byte 9");
FMX_STATIC_ASSERT(offsetof(FMX_ExternCallStruct, parm1) == 11, "parm1 at byte 11");
FMX_STATIC_ASSERT(offsetof(FMX_ExternCallStruct, parm2) == 12, "parm2 at byte 12");
FMX_STATIC_ASSERT(offsetof(FMX_ExternCallStruct, parm3) == 16, "parm3 at byte 16");
FMX_STATIC_ASSERT(offsetof(FMX_ExternCallStruct, instanceID) == 20, "instanceID at byte 20");
#if UINTPTR_MAX == 0xFFFFFFFFu
FMX_STATIC_ASSERT(offsetof(FMX_ExternCallStruct, result) == 24, "result at byte 24");
FMX_STATIC_ASSERT(sizeof(FMX_ExternCallStruct) == 28, "32-bit record is 28 bytes");
#else
FMX_STATIC_ASSERT(offsetof(FMX_ExternCallStruct, result) == 28, "result widened at byte 28");
FMX_STATIC_ASSERT(sizeof(FMX_ExternCallStruct) == 36, "64-bit record is 36 bytes");
#endif

typedef void (*FMX_ExternCallProc)(FMX_ExternCallStruct* record);

/* The plug-in's single export. */
FMX_ENTRY_POINT void FMExternCallProc(FMX_ExternCallStruct* record);

/* ---- text ------------------------------------------------------------ */

FMX_API FMX_Text* FM_Text_Constructor1(FMX_ErrorContainer* err);
FMX_API void FM_Text_Delete(FMX_Text* text, FMX_ErrorContainer* err);
/* Length in UTF-16 code units. */
FMX_API uint32_t FM_Text_GetSize(const FMX_Text* text, FMX_ErrorContainer* err);
/* Copies at most `size` code units starting at `position` into `buffer`,
 * followed by a terminating zero when there is room for it. */
FMX_API void FM_Text_GetUnicode(const FMX_Text* text, FMX_UniChar* buffer, uint32_t position,
                                uint32_t size, FMX_ErrorContainer* err);
/* Replaces the text by a zero-terminated UTF-16 string (NULL reads as ""). */
FMX_API void FM_Text_AssignUnicode(FMX_Text* text, const FMX_UniChar* s, FMX_ErrorContainer* err);
/* Replaces the text by a zero-terminated 8-bit string in the given encoding. */
FMX_API void FM_Text_Assign(FMX_Text* text, const char* s, int32_t encoding,
                            FMX_ErrorContainer* err);
/* Position of the first occurrence of `other` at or after `position`, or
 * FMX_TEXT_NOT_FOUND. */
FMX_API uint32_t FM_Text_Find(const FMX_Text* text, const FMX_Text* other, uint32_t position,
                              FMX_ErrorContainer* err);
/* Removes `count` code units from `position` (clipped to the text). */
FMX_API void FM_Text_DeleteText(FMX_Text* text, uint32_t position, uint32_t count,
                                FMX_ErrorContainer* err);

/* ---- fixed-point numbers -------------------------------------------- */

FMX_API FMX_FixPt* FM_FixPt_Constructor1(int32_t value, int32_t precision, FMX_ErrorContainer* err);
FMX_API void FM_FixPt_Delete(FMX_FixPt* number, FMX_ErrorContainer* err);
FMX_API void FM_FixPt_AssignInt(FMX_FixPt* number, int32_t value, FMX_ErrorContainer* err);
FMX_API void FM_FixPt_AssignDouble(FMX_FixPt* number, double value, FMX_ErrorContainer* err);
/* Truncates toward zero, saturating at the 32-bit range. */
FMX_API int32_t FM_FixPt_AsLong(const FMX_FixPt* number, FMX_ErrorContainer* err);
FMX_API double FM_FixPt_AsDouble(const FMX_FixPt* number, FMX_ErrorContainer* err);

/* ---- date-times ------------------------------------------------------ */

FMX_API FMX_DateTime* FM_DateTime_Constructor1(FMX_ErrorContainer* err);
FMX_API void FM_DateTime_Delete(FMX_DateTime* dateTime, FMX_ErrorContainer* err);
/* Out-of-range parts carry over like a calendar: month 13 of 2020 is
 * January 2021, day 0 is the last day of the previous month. */
FMX_API void FM_DateTime_SetNormalizedDate1(FMX_DateTime* dateTime, int16_t month, int16_t day,
                                            int16_t year, FMX_ErrorContainer* err);
FMX_API void FM_DateTime_SetNormalizedTime1(FMX_DateTime* dateTime, int64_t hour, int16_t minute,
                                            int16_t sec, int32_t usec, FMX_ErrorContainer* err);

/* ---- four-character codes ------------------------------------------- */

FMX_API FMX_QuadChar* FM_QuadChar_Constructor2(char c0, char c1, char c2, char c3,
                                               FMX_ErrorContainer* err);
FMX_API void FM_QuadChar_Delete(FMX_QuadChar* quad, FMX_ErrorContainer* err);

/* ---- parameters and results ----------------------------------------- */

FMX_API uint32_t FM_DataVect_Size(const FMX_DataVect* parameters, FMX_ErrorContainer* err);
/* The returned objects belong to the data vector. An index past the end
 * yields an empty text / zero / false and FMX_ERR_UNKNOWN. */
FMX_API const FMX_Text* FM_DataVect_AtAsText(const FMX_DataVect* parameters, uint32_t index,
                                             FMX_ErrorContainer* err);
FMX_API const FMX_FixPt* FM_DataVect_AtAsNumber(const FMX_DataVect* parameters, uint32_t index,
                                                FMX_ErrorContainer* err);
FMX_API bool FM_DataVect_AtAsBoolean(const FMX_DataVect* parameters, uint32_t index,
                                     FMX_ErrorContainer* err);

FMX_API const FMX_Locale* FM_Data_GetLocale(const FMX_Data* data, FMX_ErrorContainer* err);
/* The setters return a host error code (0 = stored). */
FMX_API int32_t FM_Data_SetAsText(FMX_Data* data, const FMX_Text* text, const FMX_Locale* locale,
                                  int32_t nativeType, FMX_ErrorContainer* err);
FMX_API int32_t FM_Data_SetAsNumber(FMX_Data* data, const FMX_FixPt* number, int32_t nativeType,
                                    FMX_ErrorContainer* err);
FMX_API int32_t FM_Data_SetAsDate(FMX_Data* data, const FMX_DateTime* dateTime, int32_t nativeType,
                                  FMX_ErrorContainer* err);

/* ---- function registration ------------------------------------------ */

/* Registers (or replaces) function `functionId` of plug-in `pluginId`.
 * Returns a host error code (0 = registered). */
FMX_API int32_t FM_ExprEnv_RegisterExternalFunction(const FMX_QuadChar* pluginId,
                                                    int16_t functionId, const FMX_Text* name,
                                                    const FMX_Text* prototype, int16_t minArgs,
                                                    int16_t maxArgs, uint32_t flags,
                                                    FMX_ExternalFunction function,
                                                    FMX_ErrorContainer* err);
/* Returns 0 when the function was registered and is now gone, otherwise a
 * non-zero host error code. */
FMX_API int32_t FM_ExprEnv_UnRegisterExternalFunction(const FMX_QuadChar* pluginId,
                                                      int16_t functionId, FMX_ErrorContainer* err);

#ifdef __cplusplus
}
#endif

#endif /* PAGINOR_FMX_FMX_H */
