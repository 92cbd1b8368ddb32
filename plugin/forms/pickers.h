// The two interactive pickers: a PDF file and a folder. Both are modal and
// block the calling thread until the user answers.
#pragma once

#include <optional>
#include <string>

// The full path of the PDF file chosen in the open-file dialog; empty text
// when none was chosen.
std::u16string BrowseForPdfFile();

// The folder chosen in the folder picker, which opens on `preselected` when
// that is a non-empty text. Empty text when the user cancelled; "-3" when no
// file-system path can be had (no shell allocator, or a chosen place that is
// not a folder on disk).
std::u16string BrowseForFolder(const std::optional<std::u16string>& preselected);

// `text` without any carriage return.
std::u16string WithoutCarriageReturns(std::u16string text);
