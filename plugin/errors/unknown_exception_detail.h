// The detail recorded with -998 "Unknown Exception": one formatter, shared by
// the script-function frame and the session's failure capture.
#pragma once

#include "win/wide_string.h"

#include <string>
#include <string_view>

// "UNKNOWN EXCEPTION: FUNC:<system message for the thread's last error code>
// \nOBJ: <object>\nMSG: <message>". The system message is empty when the
// platform has none for the code.
WideString UnknownExceptionDetail(WideStringView message, WideStringView object = {});
