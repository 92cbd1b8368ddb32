// The process-wide last-error record: every script function clears it when it
// starts, a failure fills it, and QELT_GetLastError reads it back.
//
//   ClearError();                                  // "Success", code 0
//   SetError(kErrorNoDocumentOpen, 0, OLESTR("")); // "No PDF Document opened"
//   SetError(-999, 0, OLESTR("Error:80004005 Description: "));
//
// The record exists from the host's Init to its Shutdown; outside that window
// the process-wide calls do nothing and reads see an empty record.
#pragma once

#include "errors/error_codes.h"
#include "errors/unknown_exception_detail.h"
#include "win/wide_string.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct LastErrorRecord {
    std::int32_t code = 0;
    std::uint32_t nativeCode = 0;
    std::optional<WideString> message; // none in the initial state
    std::optional<WideString> detail;  // none until SetError; may be empty
};

// Operations on one record.
void ClearError(LastErrorRecord& record);
void SetError(std::int32_t code, std::uint32_t nativeCode, LastErrorRecord& record,
              WideStringView detail);
// The message followed directly by the detail; either alone; or empty.
WideString ErrorText(const LastErrorRecord& record);

// The process-wide record.
void CreateLastErrorRecord();  // initial state: code 0, no message, no detail
void DestroyLastErrorRecord(); // clears and frees it; safe when there is none
LastErrorRecord* CurrentLastErrorRecord();

void ClearError();
void SetError(std::int32_t code, std::uint32_t nativeCode, WideStringView detail);
std::int32_t LastErrorCode();
WideString LastErrorText();
