// Reading a PDF file into memory and parsing it with qpdf.
#pragma once

#include "engine/document/document_bytes.h"
#include "engine/incremental/last_cross_reference.h"
#include "engine/incremental/spare_object_section.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

class QPDF;

namespace paginor::engine {

// Why a document whose catalog yields no page qpdf can read is refused.
inline constexpr char kNoUsablePageTree[] = "the document has no usable page tree";

// A document as the engine parses it: the bytes it came from, followed in
// memory by a section of spare objects when the end of the file can be read
// (see spare_object_section.h), and the parse of both.
struct ParsedDocument {
    std::shared_ptr<const DocumentBytes> bytes; // original + spares
    std::optional<LastCrossReference> last;     // nothing: the file is saved as a whole
    SpareObjects spares;
    std::unique_ptr<QPDF> pdf;
};

// Parses `bytes` with spare objects appended. A file qpdf has to repair is
// parsed again as it is, without them, so that its repair sees only the
// file. Throws DocumentLoadError.
ParsedDocument parseWithSpares(std::unique_ptr<DocumentBytes> bytes,
                               const std::string& description);

// Parses `bytes` (which must outlive the result) the way every document is
// opened: warnings kept quiet, repair attempted, the empty user password
// tried, and the page tree walked once so a broken one fails here rather
// than in a later call. A document without at least one page that is a
// dictionary is refused (kNoUsablePageTree). Throws DocumentLoadError.
std::unique_ptr<QPDF> parsePdf(std::string_view bytes, const std::string& description);

} // namespace paginor::engine
