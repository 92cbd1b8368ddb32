// What the end of a PDF file says about its newest cross-reference section:
// where it starts, whether it is a table or a stream, and the entries of its
// trailer. Read straight from the bytes with qpdf's object parser, without
// reading the cross-reference entries themselves, so that an update can be
// chained to it (and the spare-object section built) before the file is
// parsed.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace paginor::engine {

enum class CrossReferenceKind { Table, Stream };

struct LastCrossReference {
    std::int64_t offset = 0; // the value after the last "startxref"
    CrossReferenceKind kind = CrossReferenceKind::Table;
    std::int64_t size = 0; // the trailer's /Size
    // Trailer entries as PDF text ("/Root" -> "1 0 R"), without the ones
    // that only describe this section (/Size, /Prev, /XRefStm and a
    // cross-reference stream's own /Type, /W, /Index, /Filter, /DecodeParms,
    // /Length).
    std::map<std::string, std::string> trailer;
    // Cross-reference sections along the /Prev chain, this one included
    // (counted up to 64): a file that was updated many times has many.
    int sections = 1;
};

// Nothing when the file does not start with "%PDF-" at its first byte, has
// no "startxref" near its end, or the section there cannot be read: such a
// file is left to qpdf's repair and saved as a whole.
std::optional<LastCrossReference> readLastCrossReference(std::string_view bytes);

} // namespace paginor::engine
