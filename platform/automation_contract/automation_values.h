// The argument and answer values of the automation interfaces that client and
// server must read the same way. Plain C++ on purpose (no COM types), so that
// the engine's core can use the values without knowing the interfaces.
#pragma once

#include <cstdint>

// IPDDocument::Save: the save type is a combination of these flags.
inline constexpr std::int16_t kSaveFull = 1;
// The document stays bound to the path it was opened from.
inline constexpr std::int16_t kSaveCopy = 2;
inline constexpr std::int16_t kSaveLinearized = 4;

// IPDDocument::InsertPages: the after-page that inserts in front of page 1.
inline constexpr std::int32_t kBeforeFirstPage = -1;

// IViewerDocument::PrintPagesEx: which pages of the range are printed.
inline constexpr std::int32_t kPageSetAll = -3;
inline constexpr std::int32_t kPageSetEven = -4;
inline constexpr std::int32_t kPageSetOdd = -5;

// IViewerDocument::PrintPages(Ex): the PostScript level requested; the other
// numeric print options are 0 (off) or 1 (on).
inline constexpr std::int32_t kPostScriptLevel2 = 2;

// IHighlightList::Add: a length that reaches to the end of the page (all
// sixteen bits set, so a reader taking the length as unsigned sees 0xFFFF).
inline constexpr std::int16_t kHighlightToEndOfPage = -1;

// IFormField::get_Type: the type words a field reports.
inline constexpr char kFieldTypeGroup[] = "group";
inline constexpr char kFieldTypeText[] = "text";
inline constexpr char kFieldTypeCheckBox[] = "checkbox";
inline constexpr char kFieldTypeRadioButton[] = "radiobutton";
inline constexpr char kFieldTypePushButton[] = "button";
inline constexpr char kFieldTypeComboBox[] = "combobox";
inline constexpr char kFieldTypeListBox[] = "listbox";
inline constexpr char kFieldTypeSignature[] = "signature";
inline constexpr char kFieldTypeUnknown[] = "unknown";

// The failure status of IPDDocument::Open, IPDDocument::InsertPages,
// IPDDocument::DeletePages and IViewerDocument::PrintPages(Ex) when the
// operation could not be done for a reason of the file, the document or the
// system (not a regular file, too large, not a PDF, protected by a password,
// no page left, a print queue that refused the job), as opposed to a failure
// of the automation itself. The error information says why, in words for the
// user. (An HRESULT of the interface facility: severity bit, facility 4,
// code 0x0201.)
inline constexpr std::int32_t kStatusOperationNotDone = static_cast<std::int32_t>(0x80040201u);
