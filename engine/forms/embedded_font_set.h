// The installed fonts one document embeds for text its own fonts cannot
// show: one composite font (Identity-H, two-byte codes) per face. The first
// value that needs a face makes its subset; a later value that needs more
// glyphs grows that subset in place (the same objects with more glyphs), so
// a document never carries the same face twice. Codes are the face's own
// glyph ids (the CIDs of a CID-keyed CFF face), kept by the subsetter, so
// text drawn before the subset grew still shows the same glyphs.
#pragma once

#include "font_resolver.h"

#include "engine/incremental/document_changes.h"

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>

#include <map>
#include <string>
#include <unordered_map>

namespace paginor::engine::forms {

struct EmbeddedFont {
    QPDFObjectHandle font;                         // the Type0 font dictionary (indirect)
    std::unordered_map<uint32_t, uint16_t> codeOf; // glyph id in the face -> two-byte code
};

class EmbeddedFontSet {
public:
    // The face's font in this document, holding at least `glyphs` (glyph id
    // -> the text it stands for, empty for glyphs that only complete a
    // cluster). Null when the face cannot be subset.
    const EmbeddedFont* fontFor(paginor::engine::DocumentChanges& changes, size_t faceIndex,
                                const SystemFace& face,
                                const std::map<uint32_t, std::u32string>& glyphs);

    // The document's objects are gone (it was reset to its saved state).
    void forget() { fonts_.clear(); }

private:
    struct Font {
        EmbeddedFont embedded;
        std::map<uint32_t, std::u32string> glyphs;
        std::string baseFont;
        QPDFObjectHandle program;
        QPDFObjectHandle descendant;
        QPDFObjectHandle toUnicode;
    };
    static bool fill(paginor::engine::DocumentChanges& changes, const SystemFace& face, Font& font);

    std::map<size_t, Font> fonts_;
};

} // namespace paginor::engine::forms
