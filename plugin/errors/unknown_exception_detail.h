// The detail recorded with -998 "Unknown Exception": one formatter, shared by
// the script-function frame and the session's failure capture.
#pragma once

#include <string>
#include <string_view>

// "UNKNOWN EXCEPTION: FUNC:<system message for the thread's last error code>
// \nOBJ: <object>\nMSG: <message>". The system message is empty when the
// platform has none for the code.
std::u16string UnknownExceptionDetail(std::u16string_view message, std::u16string_view object = {});
