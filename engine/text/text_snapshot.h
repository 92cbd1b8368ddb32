// The bytes the text reader loads: the document as it stands now, without
// the pages' annotations (widget appearances would otherwise leak field
// values into the page text) and without the interactive form.
#pragma once

#include <string>

class QPDF;

namespace paginor::text {

// Throws std::exception (qpdf's) when the document cannot be written.
std::string writeTextSnapshot(QPDF& pdf);

} // namespace paginor::text
