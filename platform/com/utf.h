// Kept for code that still includes the conversion under its old name.
#pragma once

#include "text_encoding/utf_conversion.h"
