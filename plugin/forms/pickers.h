// The two interactive pickers: a PDF file and a folder. Both are modal and
// block the calling thread until the user answers.
#pragma once

#include "win/wide_string.h"

#include <optional>
#include <string>

// The full path of the PDF file chosen in the open-file dialog; empty text
// when none was chosen.
WideString BrowseForPdfFile();

// The folder chosen in the folder picker, which opens on `preselected` when
// that is a non-empty text. Empty text when the user cancelled; "-3" when no
// file-system path can be had (no shell allocator, or a chosen place that is
// not a folder on disk).
WideString BrowseForFolder(const std::optional<WideString>& preselected);

// `text` without any carriage return.
WideString WithoutCarriageReturns(WideString text);
