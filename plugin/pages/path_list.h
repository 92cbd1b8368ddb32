// Splitting the carriage-return separated list of files to append.
#pragma once

#include "win/wide_string.h"

#include <string>
#include <string_view>
#include <vector>

// The paths in `list`, in order. Only a carriage return separates: runs of
// them count as one and those at either end give no path; a line feed or any
// other character belongs to the path, which is taken untrimmed. A list
// without any path (empty, or carriage returns only) gives the whole list as
// its single path.
std::vector<WideString> SplitPathList(WideStringView list);
