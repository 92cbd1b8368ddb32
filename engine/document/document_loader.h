// Reading a PDF file into memory and parsing it with qpdf.
#pragma once

#include <memory>
#include <string>

class QPDF;

namespace paginor::engine {

// The whole file at `path`; throws DocumentLoadError naming the path and the
// system's reason.
std::string readWholeFile(const std::string& path);

// Why a document whose catalog yields no page qpdf can read is refused.
inline constexpr char kNoUsablePageTree[] = "the document has no usable page tree";

// Parses `bytes` (which must outlive the result) the way every document is
// opened: warnings kept quiet, repair attempted, the empty user password
// tried, and the page tree walked once so a broken one fails here rather
// than in a later call. A document without at least one page that is a
// dictionary is refused (kNoUsablePageTree). Throws DocumentLoadError.
std::unique_ptr<QPDF> parsePdf(const std::string& bytes, const std::string& description);

} // namespace paginor::engine
