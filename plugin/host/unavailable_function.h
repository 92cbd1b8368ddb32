// The body of a script function whose operation is not built yet: it passes
// the frame's parameter-count check and then reports -998 "not available".
#pragma once

#include "host/script_function_frame.h"

std::int16_t RunUnavailableFunction(const FMX_DataVect* parameters, FMX_Data* result,
                                    AcceptedParamCount accepted) noexcept;
