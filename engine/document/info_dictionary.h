// The document information dictionary (trailer /Info): text entries in and
// out as UTF-8.
#pragma once

#include <string>
#include <string_view>

class QPDF;

namespace paginor::engine {

class DocumentChanges;

// Decodes a text string: UTF-16BE (with its byte order mark), UTF-8 (with
// its mark) or PDFDocEncoding. Names read without their slash, booleans as
// "True"/"False", numbers as written; an absent entry reads "".
std::string readInfoEntry(QPDF& pdf, std::string_view key);

// Stores a text string (PDFDocEncoding where every character fits, else
// UTF-16BE), creating the dictionary when the document has none. "Trapped"
// takes only True, False or Unknown and is stored as a name. Answers false,
// changing nothing, for a refused value or an empty key.
bool writeInfoEntry(QPDF& pdf, DocumentChanges& changes, std::string_view key,
                    std::string_view value);

// Stores a date text as written (no validation).
void writeInfoDate(QPDF& pdf, DocumentChanges& changes, std::string_view key,
                   const std::string& date);

} // namespace paginor::engine
